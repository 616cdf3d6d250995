// The director's dispatch without a network: a director that is never started, events handed to
// onNetworkEvent exactly as the network thread would, and dispatchEvents called by hand.

#include "DirectorTestSupport.h"
#include "EventCodes.h"
#include "GBDirector.h"
#include "Packet.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <initializer_list>
#include <type_traits>
#include <vector>

namespace {

// A pack's status travels as these numbers between the network module and the listeners.
static_assert(CLNetworkModule::PACKET_RECEIVED == 0 && CLNetworkModule::SEND_NOT_CONNECTED == 1 &&
              CLNetworkModule::SEND_FAILED == 2);
static_assert(std::is_same_v<decltype(ResponseDataPack::status), CLNetworkModule::CallBackType>);

uint16_t unusedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

CLDataBuffer* strings(std::initializer_list<const char*> texts) {
    auto* buffer = new CLDataBuffer;
    for (const char* text : texts) {
        buffer->addString(text);
    }
    return buffer;
}

class DirectorFixture : public ::testing::Test {
protected:
    // What the server would send: a response or push with integer fields (none: header only).
    void arrive(int32_t code, uint32_t seq, std::initializer_list<int32_t> ints) {
        CLDataBuffer fields;
        for (int32_t n : ints) {
            fields.addInt(n);
        }
        const auto packet = buildResponsePacket(code, seq, ints.size() ? &fields : nullptr);
        director.onNetworkEvent(CLNetworkModule::PACKET_RECEIVED, packet.data() + kLengthFieldSize,
                                uint32_t(packet.size() - kLengthFieldSize));
    }
    // A queued packet handed back by the network module, whole.
    void dropped(CLNetworkModule::CallBackType why, uint32_t seq, int32_t code) {
        const auto packet = GBDirector::buildPacket(seq, code, nullptr);
        director.onNetworkEvent(why, packet.data(), uint32_t(packet.size()));
    }
    bool send(int32_t code, std::initializer_list<const char*> body, CLDataBuffer* context,
              bool reportFailure) {
        return director.sendRequest(code, strings(body), context, reportFailure);
    }
    void listen(const std::string& name, const std::string& tag = "") {
        ASSERT_TRUE(director.addListener(
            name, [this, tag](const ResponseDataPack& p) { calls.push_back(tag + describe(p)); }));
    }
    void tick(float dt = 0.1f) { director.dispatchEvents(dt); }

    ScratchDir dir;
    GBDirector director{"127.0.0.1", unusedPort(), dir.logPrefix().c_str()};
    std::vector<std::string> calls;
};

using Calls = std::vector<std::string>;

TEST_F(DirectorFixture, InstanceIsTheNewestLiveDirector) {
    EXPECT_EQ(GBDirector::getInstance(), &director);
    {
        GBDirector newer("127.0.0.1", unusedPort(), dir.logPrefix().c_str());
        EXPECT_EQ(GBDirector::getInstance(), &newer);
    }
    EXPECT_EQ(GBDirector::getInstance(), &director);
}

TEST_F(DirectorFixture, AnswersFindTheirRequestBySequenceNumberInEitherOrder) {
    listen("gb_event_login");
    ASSERT_TRUE(send(EVENT_LOGIN, {"ann"}, strings({"pw1"}), true)); // seq 0
    ASSERT_TRUE(send(EVENT_LOGIN, {"bob"}, strings({"pw2"}), true)); // seq 1
    arrive(EVENT_LOGIN, 1, {1, 22});
    arrive(EVENT_LOGIN, 0, {0});
    EXPECT_TRUE(calls.empty()); // nothing runs before the dispatch step
    tick();
    EXPECT_EQ(calls, (Calls{"1/0 ['bob'] ['pw2'] [1,22]", "1/0 ['ann'] ['pw1'] [0]"}));
}

TEST_F(DirectorFixture, AnswersThatMatchNoRequestAreDropped) {
    listen("gb_event_login");
    listen("gb_event_reg");
    listen("gb_event_getnotice");
    ASSERT_TRUE(send(EVENT_LOGIN, {"ann"}, nullptr, true));     // seq 0
    ASSERT_TRUE(send(EVENT_GETNOTICE, {"cn"}, nullptr, false)); // seq 1
    arrive(EVENT_REG, 0, {1});                                  // another request's code
    arrive(EVENT_LOGIN, 7, {1});                                // a number no request carries
    arrive(EVENT_LOGIN, 0, {1, 3});
    arrive(EVENT_LOGIN, 0, {1, 4}); // a duplicate
    arrive(EVENT_GETNOTICE, 1, {}); // header only: no fields
    tick();
    EXPECT_EQ(calls, (Calls{"1/0 ['ann'] null [1,3]", "5/0 ['cn'] null null"}));
}

TEST_F(DirectorFixture, NetworkFailuresReachOnlyListenersThatAskedForThem) {
    listen("gb_event_login");
    listen("gb_event_logout");
    ASSERT_TRUE(send(EVENT_LOGIN, {"ann"}, strings({"pw"}), true)); // seq 0
    ASSERT_TRUE(send(EVENT_LOGOUT, {}, nullptr, false));            // seq 1
    dropped(CLNetworkModule::SEND_NOT_CONNECTED, 0, EVENT_LOGIN);
    dropped(CLNetworkModule::SEND_FAILED, 1, EVENT_LOGOUT);
    tick();
    EXPECT_EQ(calls, (Calls{"1/1 ['ann'] ['pw'] null"}));

    // Both requests are gone; numbering goes on after the failures.
    arrive(EVENT_LOGIN, 0, {1});
    arrive(EVENT_LOGOUT, 1, {1});
    ASSERT_TRUE(send(EVENT_LOGIN, {"bob"}, nullptr, true)); // seq 2
    arrive(EVENT_LOGIN, 2, {1, 9});
    tick();
    EXPECT_EQ(calls, (Calls{"1/1 ['ann'] ['pw'] null", "1/0 ['bob'] null [1,9]"}));
}

TEST_F(DirectorFixture, PushWaitsForItsListener) {
    arrive(EVENT_OPPQUIT, 99, {42});
    tick();
    tick();
    listen("gb_event_oppquit");
    tick();
    tick();
    EXPECT_EQ(calls, (Calls{"1002/0 null null [42]"}));
}

TEST_F(DirectorFixture, OneListenerPerNameUntilItIsRemoved) {
    listen("gb_event_login", "first ");
    EXPECT_FALSE(director.addListener("gb_event_login", [](const ResponseDataPack&) {}));
    ASSERT_TRUE(send(EVENT_LOGIN, {"ann"}, nullptr, true));
    arrive(EVENT_LOGIN, 0, {1});
    tick();
    director.removeListeners("gb_event_login");
    listen("gb_event_login", "second ");
    ASSERT_TRUE(send(EVENT_LOGIN, {"bob"}, nullptr, true));
    arrive(EVENT_LOGIN, 1, {1});
    tick();
    EXPECT_EQ(calls, (Calls{"first 1/0 ['ann'] null [1]", "second 1/0 ['bob'] null [1]"}));
}

TEST_F(DirectorFixture, ListenerMayRemoveItselfAndRegisterOthers) {
    // The capture dies with the registration: the call must run on a copy.
    const std::string tag(40, '*');
    ASSERT_TRUE(director.addListener("gb_event_login", [this, tag](const ResponseDataPack& p) {
        director.removeListeners("gb_event_login");
        listen("gb_event_reg");
        calls.push_back(tag.substr(0, 3) + describe(p));
    }));
    ASSERT_TRUE(send(EVENT_LOGIN, {"ann"}, nullptr, true)); // seq 0
    ASSERT_TRUE(send(EVENT_LOGIN, {"bob"}, nullptr, true)); // seq 1
    ASSERT_TRUE(send(EVENT_REG, {"cid"}, nullptr, true));   // seq 2
    arrive(EVENT_LOGIN, 0, {1});
    arrive(EVENT_LOGIN, 1, {1});
    arrive(EVENT_REG, 2, {1});
    tick();
    EXPECT_EQ(calls, (Calls{"***1/0 ['ann'] null [1]", "2/0 ['cid'] null [1]"}));
    EXPECT_TRUE(director.addListener("gb_event_login", [](const ResponseDataPack&) {}));
}

TEST_F(DirectorFixture, NoTextsBeforeTheTableIsLoaded) {
    EXPECT_EQ(director.getText("neterror"), "");
}

TEST_F(DirectorFixture, UnansweredRequestsExpireOnTheDirectorsClock) {
    listen("gb_event_login");
    listen("gb_event_joinmatch");
    ASSERT_TRUE(send(EVENT_LOGIN, {"ann"}, strings({"pw"}), true)); // seq 0
    ASSERT_TRUE(send(EVENT_JOINMATCH, {}, nullptr, false));         // seq 1
    tick(14.5f);
    EXPECT_TRUE(calls.empty());
    ASSERT_TRUE(send(EVENT_LOGIN, {"bob"}, nullptr, true)); // seq 2, half a second later
    tick(0.5f);
    EXPECT_EQ(calls, (Calls{"1/2 ['ann'] ['pw'] null"}));

    // Late answers find nothing; the younger request is still waiting for its own.
    arrive(EVENT_LOGIN, 0, {1});
    arrive(EVENT_JOINMATCH, 1, {1});
    arrive(EVENT_LOGIN, 2, {1, 8});
    tick();
    tick(20);
    EXPECT_EQ(calls, (Calls{"1/2 ['ann'] ['pw'] null", "1/0 ['bob'] null [1,8]"}));
}

// Game pushes held from a game the player left never reach the next game. The match push comes
// either between two dispatch steps or while one runs (a listener's work can take that long).
class StalePushes : public DirectorFixture, public ::testing::WithParamInterface<bool> {};

TEST_P(StalePushes, MatchPushDropsHeldGamePushes) {
    const bool matchWhileDispatching = GetParam();
    ASSERT_TRUE(director.addListener("gb_event_getnotice", [&](const ResponseDataPack& p) {
        calls.push_back(describe(p));
        if (matchWhileDispatching) {
            arrive(EVENT_MATCHRES, 0, {1, 5, 6});
        }
    }));
    ASSERT_TRUE(send(EVENT_GETNOTICE, {"cn"}, nullptr, false));
    arrive(EVENT_OPPCHESS, 0, {3, 4, 0, 0});
    arrive(EVENT_OPPQUIT, 0, {77});
    arrive(EVENT_OVERTIME, 0, {77});
    arrive(EVENT_GETNOTICE, 0, {1});
    tick();
    if (!matchWhileDispatching) {
        arrive(EVENT_MATCHRES, 0, {1, 5, 6});
    }

    // The match scene starts a game, whose listeners are then in place.
    ASSERT_TRUE(director.addListener("gb_event_matchres", [this](const ResponseDataPack& p) {
        calls.push_back(describe(p));
        listen("gb_event_oppchess");
        listen("gb_event_oppquit");
        listen("gb_event_overtime");
    }));
    arrive(EVENT_OPPCHESS, 0, {7, 7, 0, 0}); // the new game's first move
    tick();
    tick();
    EXPECT_EQ(calls, (Calls{"5/0 ['cn'] null [1]", "1000/0 null null [1,5,6]",
                            "1001/0 null null [7,7,0,0]"}));
}

INSTANTIATE_TEST_SUITE_P(Director, StalePushes, ::testing::Bool());

} // namespace
