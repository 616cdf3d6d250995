#pragma once
// The password hashing shared fairly between addresses. Each address's requests wait in a queue
// of their own, and the queues take turns to start one request each, a few at a time, so that a
// flood from other addresses delays a login by a few hashes, not by the whole flood. Requests
// wait here rather than on the hashing pool, so that a closed connection's request never costs a
// hash and a stop drops what has not started: the pool holds no more than kRunning. Io thread
// only.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <unordered_map>

class HashingQueue {
public:
    // Starts the work; `finished` is to be called on the io thread once the work is done.
    using Job = std::function<void(std::function<void()> finished)>;
    // The threads of the hashing pool (main.cpp): a request started beyond them would wait on
    // the pool in plain arrival order. Handing a worker its next request costs it a few
    // microseconds on the io thread, against the many milliseconds of a hash.
    static constexpr size_t kRunning = 2;
    // Requests of one address, waiting or running.
    static constexpr size_t kPerAddress = 32;

    bool hasRoom(const std::string& address) const;
    // One request at most per connection: a connection takes its next request once this is done.
    void add(const std::string& address, uint64_t connection, Job job);
    // The connection has closed: its request is dropped unless it has started.
    void drop(const std::string& address, uint64_t connection);

private:
    struct Waiting {
        uint64_t connection;
        Job job;
    };
    struct Queue {
        std::deque<Waiting> waiting;
        size_t running = 0;
        bool inTurns = false;
    };
    void startNext();
    void finished(const std::string& address);
    // Forgets an address that has nothing waiting or running.
    void forgetIfIdle(std::unordered_map<std::string, Queue>::iterator queue);

    std::unordered_map<std::string, Queue> byAddress;
    std::deque<std::string> turns; // addresses whose queue had a request waiting when put here
    size_t running = 0;
};
