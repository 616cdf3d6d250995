#pragma once
// The network tests' fixture: a loopback peer, modules that log into a scratch folder, what they
// hand to their callback, and the network thread.

#include "CLNetworkModule.h"
#include "LoopbackPeer.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>

using namespace std::chrono_literals;

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

class NetTest : public ::testing::Test {
protected:
    using Type = CLNetworkModule::CallBackType;
    struct Event {
        Type type;
        Bytes data;
        bool operator==(const Event& o) const { return type == o.type && data == o.data; }
    };
    using Events = std::vector<Event>;

    std::unique_ptr<CLNetworkModule> make(uint16_t port) {
        auto record = [this](Type type, const uint8_t* data, uint32_t length) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                const bool change =
                    type == CLNetworkModule::CONNECTION_LOST || type == CLNetworkModule::CONNECTED;
                (change ? changes : events).push_back({type, Bytes(data, data + length)});
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
    std::string prefix() const { return dir.file("netlog"); }
    // The events so far, once there are `count` or after timeoutMs.
    Events waitFor(size_t count, int timeoutMs = kPatienceMs) {
        auto snapshot = [this] {
            std::lock_guard<std::mutex> lock(mutex);
            return events;
        };
        eventually([&] { return snapshot().size() >= count; }, timeoutMs);
        return snapshot();
    }
    // The connections ended and made so far (kept apart from the packets).
    Events connectionChanges() {
        std::lock_guard<std::mutex> lock(mutex);
        return changes;
    }
    // How often the day files hold `text`.
    size_t logCount(const std::string& text) const {
        size_t n = 0;
        for (const auto& file : std::filesystem::directory_iterator(dir.path())) {
            n += occurrences(fileText(file.path()), text);
        }
        return n;
    }

    TempDir dir;
    LoopbackPeer peer;
    // Runs on the network thread inside the callback; set before the thread starts.
    std::function<void(Type)> onEvent;

private:
    std::mutex mutex;
    Events events;
    Events changes;
};
