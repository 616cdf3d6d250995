// A started director: its network thread talks to a loopback peer, the engine's scheduler runs
// its dispatch step in headless frames, and stop() ends the thread.

#include "DirectorTestSupport.h"
#include "EventCodes.h"
#include "GBDirector.h"
#include "Packet.h"
#include "harness/EngineHarness.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

// Up to `count` bytes from fd, fewer at end of stream or when nothing comes for a while.
Bytes readUpTo(int fd, size_t count) {
    Bytes got(count);
    size_t have = 0;
    pollfd entry{fd, POLLIN, 0};
    while (have < count && poll(&entry, 1, int(scaled(2000).count())) > 0) {
        const ssize_t n = ::recv(fd, got.data() + have, count - have, 0);
        if (n <= 0) {
            break;
        }
        have += size_t(n);
    }
    got.resize(have);
    return got;
}

// Accepts one connection, answers its first request with the fields 1, 42, then waits for the
// client to close the connection.
class AnsweringPeer {
public:
    AnsweringPeer() {
        listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        bind(listener, reinterpret_cast<sockaddr*>(&address), size);
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
        listen(listener, 1);
        thread = std::thread([this] { serve(); });
    }
    ~AnsweringPeer() {
        join();
        close(listener);
    }
    void join() {
        if (thread.joinable()) {
            thread.join();
        }
    }

    uint16_t port = 0;
    std::atomic<bool> sawClose{false};

private:
    void serve() {
        pollfd entry{listener, POLLIN, 0};
        if (poll(&entry, 1, int(scaled(2000).count())) <= 0) {
            return;
        }
        const int fd = ::accept(listener, nullptr, nullptr);
        const Bytes length = readUpTo(fd, kLengthFieldSize);
        const Bytes body = length.size() == 4 ? readUpTo(fd, readWord(length.data())) : Bytes();
        ParsedRequest request;
        if (parseRequestBody(body.data(), body.size(), request)) {
            CLDataBuffer fields;
            fields.addInt(1);
            fields.addInt(42);
            const Bytes answer = buildResponsePacket(request.code, request.seq, &fields);
            ::send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
        }
        sawClose = readUpTo(fd, 1).empty();
        close(fd);
    }

    int listener = -1;
    std::thread thread;
};

struct TableCase {
    const char* name;
    const char* textXml; // null: no text.xml at all
    const char* neterror;
};

const TableCase kTables[] = {
    {"table", R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>neterror</key><string>The server cannot be reached.</string>
</dict></plist>
)",
     "The server cannot be reached."},
    {"no table", nullptr, ""},
};

TEST(StartedDirector, AnswersReachTheListenerAndStopEndsTheThread) {
    for (const TableCase& t : kTables) {
        SCOPED_TRACE(t.name);
        ScratchDir dir;
        if (t.textXml) {
            std::ofstream(dir.path + "/text.xml") << t.textXml;
        }
        auto* files = cocos2d::FileUtils::getInstance();
        const std::vector<std::string> searchPaths = files->getSearchPaths();
        files->setSearchPaths({dir.path});
        EngineHarness harness;
        cocos2d::Scheduler* scheduler = harness.director()->getScheduler();
        AnsweringPeer peer;
        auto director =
            std::make_unique<GBDirector>("127.0.0.1", peer.port, dir.logPrefix().c_str());
        ASSERT_TRUE(director->start());
        files->setSearchPaths(searchPaths);
        EXPECT_TRUE(scheduler->isScheduled("fff", director.get()));
        EXPECT_EQ(director->getText("neterror"), t.neterror);
        EXPECT_EQ(director->getText("nosuchkey"), "");

        std::vector<std::string> calls;
        director->addListener("gb_event_login",
                              [&](const ResponseDataPack& p) { calls.push_back(describe(p)); });
        auto* body = new CLDataBuffer;
        body->addString("ann");
        auto* context = new CLDataBuffer;
        context->addString("pw");
        ASSERT_TRUE(director->sendRequest(EVENT_LOGIN, body, context, true));
        // The answer comes on the network thread; frames carry it to the listener.
        for (const auto end = Clock::now() + scaled(3000); calls.empty() && Clock::now() < end;) {
            harness.frame();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_EQ(calls, (std::vector<std::string>{"1/0 ['ann'] ['pw'] [1,42]"}));

        const auto stopping = Clock::now();
        director->stop();
        EXPECT_LT(Clock::now() - stopping, scaled(500));
        peer.join();
        EXPECT_TRUE(peer.sawClose);

        // Gone, it is no longer called by the engine.
        const GBDirector* gone = director.get();
        director.reset();
        EXPECT_FALSE(scheduler->isScheduled("fff", gone));
        harness.frame(10);
    }
}

} // namespace
