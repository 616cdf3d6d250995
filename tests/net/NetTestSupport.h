#pragma once
// What the network tests share: a real TCP peer on 127.0.0.1 and an ephemeral port, a recorder
// of the module's callbacks, a scratch folder for the day files, the network thread, and waits
// that stretch under the sanitizers.

#include "CLNetworkModule.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using Bytes = std::vector<uint8_t>;

// ASan and TSan run these tests several times slower: every wait and every time-out a test
// gives goes through scaled().
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KORALITH_NET_TESTS_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KORALITH_NET_TESTS_SANITIZED 1
#endif
#endif
#ifdef KORALITH_NET_TESTS_SANITIZED
constexpr int kTimeScale = 4;
#else
constexpr int kTimeScale = 1;
#endif

constexpr int scaled(int ms) {
    return ms * kTimeScale;
}

// How long a test waits for something that should happen at once.
constexpr int kPatienceMs = scaled(2000);

class Deadline {
public:
    explicit Deadline(int ms)
        : end(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms)) {}
    bool passed() const { return std::chrono::steady_clock::now() >= end; }
    int remainingMs() const {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        return left.count() > 0 ? static_cast<int>(left.count()) : 0;
    }

private:
    std::chrono::steady_clock::time_point end;
};

inline long long msSince(std::chrono::steady_clock::time_point start) {
    const auto passed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration_cast<std::chrono::milliseconds>(passed).count();
}

inline Bytes frame(const Bytes& body) {
    const uint32_t n = static_cast<uint32_t>(body.size());
    Bytes packet{uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
    packet.insert(packet.end(), body.begin(), body.end());
    return packet;
}

inline Bytes pattern(size_t length, uint8_t seed) {
    Bytes bytes(length);
    for (size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<uint8_t>(seed + i * 7);
    }
    return bytes;
}

// A listening socket (or, with listening false, a bound port that refuses every connect).
class LoopbackPeer {
public:
    explicit LoopbackPeer(bool listening = true, int backlog = 8, int receiveBuffer = 0) {
        listener = ::socket(AF_INET, SOCK_STREAM, 0);
        if (receiveBuffer > 0) {
            setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        bind(listener, reinterpret_cast<sockaddr*>(&address), size);
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
        boundPort = ntohs(address.sin_port);
        if (listening) {
            listen(listener, backlog);
        }
    }
    ~LoopbackPeer() {
        for (int fd : connections) {
            close(fd);
        }
        close(listener);
    }
    uint16_t port() const { return boundPort; }

    // A plain blocking client connection to `port`, or -1.
    static int dial(uint16_t port) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(fd);
            return -1;
        }
        return fd;
    }

    // The next connection within timeoutMs, or -1.
    int accept(int timeoutMs = kPatienceMs) {
        pollfd entry{listener, POLLIN, 0};
        if (poll(&entry, 1, timeoutMs) <= 0) {
            return -1;
        }
        const int fd = ::accept(listener, nullptr, nullptr);
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        connections.push_back(fd);
        return fd;
    }

    static void write(int fd, const Bytes& bytes) {
        for (size_t at = 0; at < bytes.size();) {
            const ssize_t n = ::send(fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
            if (n <= 0) {
                return;
            }
            at += static_cast<size_t>(n);
        }
    }

    // Up to `count` bytes, ending early at end of stream or after timeoutMs.
    static Bytes read(int fd, size_t count, int timeoutMs = kPatienceMs) {
        Bytes got;
        uint8_t chunk[65536];
        pollfd entry{fd, POLLIN, 0};
        const Deadline deadline(timeoutMs);
        while (got.size() < count && poll(&entry, 1, deadline.remainingMs()) > 0) {
            const ssize_t n = ::recv(fd, chunk, std::min(sizeof chunk, count - got.size()), 0);
            if (n <= 0) {
                break;
            }
            got.insert(got.end(), chunk, chunk + n);
        }
        return got;
    }

    // Ends a connection in order, or with a reset.
    void finish(int fd, bool reset = false) {
        if (reset) {
            const linger abort{1, 0};
            setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        }
        close(fd);
        connections.erase(std::find(connections.begin(), connections.end(), fd));
    }

private:
    int listener = -1;
    uint16_t boundPort = 0;
    std::vector<int> connections;
};

// Everything the module hands to its callback, in order, with the time it came.
class Recorder {
public:
    struct Event {
        CLNetworkModule::CallBackType type;
        Bytes data;
        std::chrono::steady_clock::time_point at;
    };

    CLNetworkModule::Callback callback() {
        return [this](CLNetworkModule::CallBackType type, const uint8_t* data, uint32_t length) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                events.push_back(
                    {type, Bytes(data, data + length), std::chrono::steady_clock::now()});
                changed.notify_all();
            }
            if (onEvent) {
                onEvent(type);
            }
        };
    }
    // A snapshot once `count` events have come, or after timeoutMs with what there is.
    std::vector<Event> waitFor(size_t count, int timeoutMs = kPatienceMs) {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                         [&] { return events.size() >= count; });
        return events;
    }

    // Runs on the network thread inside the callback; set before the thread starts.
    std::function<void(CLNetworkModule::CallBackType)> onEvent;

private:
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Event> events;
};

// A fresh folder for the day files, removed at the end; prefix() puts the files in it.
class ScratchDir {
public:
    ScratchDir() {
        char name[] = "/tmp/koralith_net_XXXXXX";
        path = mkdtemp(name);
    }
    ~ScratchDir() { std::filesystem::remove_all(path); }
    std::string prefix() const { return path + "/netlog"; }
    // The contents of every day file, oldest name first.
    std::string logText() const {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        std::ostringstream text;
        for (const auto& file : files) {
            text << std::ifstream(file).rdbuf();
        }
        return text.str();
    }

    // Waits until the day files hold `text` (true), or timeoutMs passed (false).
    // The day file holds `text` at least `count` times, within timeoutMs.
    bool waitForLog(const std::string& text, int timeoutMs = kPatienceMs, size_t count = 1) const {
        auto seen = [&] {
            const std::string log = logText();
            size_t n = 0;
            for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) {
                ++n;
            }
            return n >= count;
        };
        const Deadline deadline(timeoutMs);
        for (int i = 0; i < timeoutMs && !deadline.passed(); ++i) {
            if (seen()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return seen();
    }

    std::string path;
};

// The module's loop on its own thread, stopped and joined however the test ends.
class NetworkThread {
public:
    explicit NetworkThread(CLNetworkModule& module)
        : module(module), thread([&] { module.run(); }) {}
    ~NetworkThread() { stop(); }
    void stop() {
        module.requestStop();
        if (thread.joinable()) {
            thread.join();
        }
    }

private:
    CLNetworkModule& module;
    std::thread thread;
};
