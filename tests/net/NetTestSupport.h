#pragma once
// What the network tests share: a TCP peer on 127.0.0.1 and an ephemeral port, the network
// thread, and a fixture that records the module's callbacks and reads its day files.

#include "CLNetworkModule.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

#ifndef KORALITH_TIME_SCALE // set by CMakeLists.txt for the sanitizers, which run slower
#define KORALITH_TIME_SCALE 1
#endif
constexpr int scaled(int ms) {
    return ms * KORALITH_TIME_SCALE;
}
constexpr int kPatienceMs = scaled(2000); // how long to wait for what should happen at once

inline long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Asks `done` every millisecond until it holds (true) or `ms` have passed (false).
template <class Condition>
bool eventually(Condition done, int ms = kPatienceMs) {
    const auto start = Clock::now();
    for (int i = 0; !done(); ++i, std::this_thread::sleep_for(1ms)) {
        if (i >= ms || msSince(start) >= ms) {
            return false;
        }
    }
    return true;
}

inline Bytes pattern(size_t length, uint8_t seed) {
    Bytes bytes(length);
    std::generate(bytes.begin(), bytes.end(), [seed]() mutable { return seed += 7; });
    return bytes;
}

inline Bytes frame(const Bytes& body) {
    const uint32_t n = static_cast<uint32_t>(body.size());
    Bytes packet{uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
    packet.insert(packet.end(), body.begin(), body.end());
    return packet;
}

// The tests write at most a few hundred bytes at a time: one send takes them all.
inline void put(int fd, const Bytes& bytes) {
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

// Up to `count` bytes, fewer at end of stream or once kPatienceMs have passed.
inline Bytes readUpTo(int fd, size_t count) {
    const timeval limit{kPatienceMs / 1000, kPatienceMs % 1000 * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    Bytes got(count);
    got.resize(std::max<ssize_t>(0, ::recv(fd, got.data(), count, MSG_WAITALL)));
    return got;
}

// A listening socket; with kRefusing a bound port that refuses every connect, with backlog 0 one
// whose full accept queue leaves new handshakes unanswered. Closes what it accepted or dialled.
class LoopbackPeer {
public:
    static constexpr int kRefusing = -1;

    explicit LoopbackPeer(int backlog = 8, int receiveBuffer = 0) {
        if (receiveBuffer > 0) {
            setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        }
        sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t size = sizeof address;
        bind(listener, reinterpret_cast<sockaddr*>(&address), size);
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
        if (backlog != kRefusing) {
            listen(listener, backlog);
        }
    }
    ~LoopbackPeer() { std::for_each(open.begin(), open.end(), ::close); }
    // A plain blocking client connection, or -1.
    int dial() {
        const int fd = track(::socket(AF_INET, SOCK_STREAM, 0));
        const sockaddr_in address{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
        return ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) ? -1 : fd;
    }
    // The next connection within timeoutMs, or -1.
    int accept(int timeoutMs = kPatienceMs) {
        pollfd entry{listener, POLLIN, 0};
        return poll(&entry, 1, timeoutMs) > 0 ? track(::accept(listener, nullptr, nullptr)) : -1;
    }
    // Ends a connection in order, or with a reset.
    void finish(int fd, bool reset = false) {
        const linger abort{1, 0};
        if (reset) {
            setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        }
        close(fd);
        open.erase(std::find(open.begin(), open.end(), fd));
    }

    uint16_t port = 0;

private:
    int track(int fd) {
        const int on = 1; // the tests' small writes go out at once
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        open.push_back(fd);
        return fd;
    }

    std::vector<int> open;
    int listener = track(::socket(AF_INET, SOCK_STREAM, 0));
};

// The module's loop on its own thread, stopped and joined however the test ends.
struct NetworkThread {
    explicit NetworkThread(CLNetworkModule& module)
        : module(module), thread(&CLNetworkModule::run, &module) {}
    ~NetworkThread() { stop(); }
    // How long the stop and the join took.
    long long stop() {
        const auto start = Clock::now();
        module.requestStop();
        if (thread.joinable()) {
            thread.join();
        }
        return msSince(start);
    }
    CLNetworkModule& module;
    std::thread thread;
};

inline std::string fileText(const std::filesystem::path& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// A loopback peer, modules that log into a scratch folder, and what they hand to their callback.
class NetTest : public ::testing::Test {
protected:
    using Type = CLNetworkModule::CallBackType;
    struct Event {
        Type type;
        Bytes data;
        bool operator==(const Event& o) const { return type == o.type && data == o.data; }
    };
    using Events = std::vector<Event>;

    NetTest() {
        char name[] = "/tmp/koralith_net_XXXXXX";
        dir = mkdtemp(name);
    }
    ~NetTest() override { std::filesystem::remove_all(dir); }

    std::unique_ptr<CLNetworkModule> make(uint16_t port) {
        auto record = [this](Type type, const uint8_t* data, uint32_t length) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                events.push_back({type, Bytes(data, data + length)});
            }
            if (onEvent) {
                onEvent(type);
            }
        };
        return std::make_unique<CLNetworkModule>(record, prefix().c_str(), "127.0.0.1", port,
                                                 false);
    }
    static bool send(CLNetworkModule& module, const Bytes& packet) {
        return module.sendData(packet.data(), static_cast<uint32_t>(packet.size()));
    }
    std::string prefix() const { return dir + "/netlog"; }
    // The events so far, once there are `count` or after timeoutMs.
    Events waitFor(size_t count, int timeoutMs = kPatienceMs) {
        auto snapshot = [this] {
            std::lock_guard<std::mutex> lock(mutex);
            return events;
        };
        eventually([&] { return snapshot().size() >= count; }, timeoutMs);
        return snapshot();
    }
    // How often the day files hold `text`.
    size_t logCount(const std::string& text) const {
        size_t n = 0;
        for (const auto& file : std::filesystem::directory_iterator(dir)) {
            const std::string log = fileText(file.path());
            for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) {
                ++n;
            }
        }
        return n;
    }

    std::string dir;
    LoopbackPeer peer;
    // Runs on the network thread inside the callback; set before the thread starts.
    std::function<void(Type)> onEvent;

private:
    std::mutex mutex;
    Events events;
};
