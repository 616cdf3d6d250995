#pragma once
// Slows down password guessing without letting anyone lock a player out from elsewhere.
// Failed logins count per address and per name and address: after kFailuresPerAddress within a
// minute an address may not log in to any name, after kFailuresPerNameAndAddress not to that
// name, until the oldest of those failures is a minute old. They also count per name, from every
// address: beyond kFreeNameFailures, an address that has itself failed on the name waits before
// its next try there, kFirstDelay after its last failure, twice as long for each further failure
// on the name, up to kMaxDelay. An address without failures on the name is never held back by
// the failures of others, so the player's own tries go through while someone elsewhere guesses.
// A name's count is forgotten after kNameMemory without a failure. Io thread only.

#include <chrono>
#include <deque>
#include <string>
#include <unordered_map>

class LoginThrottle {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr size_t kFailuresPerNameAndAddress = 5;
    static constexpr size_t kFailuresPerAddress = 20;
    static constexpr std::chrono::seconds kWindow{60};
    static constexpr size_t kFreeNameFailures = 10;
    static constexpr std::chrono::seconds kFirstDelay{1};
    static constexpr std::chrono::seconds kMaxDelay{60};
    static constexpr std::chrono::minutes kNameMemory{15};
    // A delay counts from the address's last failure on the name, which is kept for kWindow.
    static_assert(kMaxDelay <= kWindow);

    bool allowed(const std::string& name, const std::string& address, Clock::time_point now);
    void failed(const std::string& name, const std::string& address, Clock::time_point now);
    // Forgets the failures on `name` from `address`.
    void succeeded(const std::string& name, const std::string& address);

private:
    using Failures = std::unordered_map<std::string, std::deque<Clock::time_point>>;
    struct NameFailures {
        size_t count = 0;
        Clock::time_point last;
    };
    static size_t recent(Failures& failures, const std::string& key, Clock::time_point now);
    size_t nameFailures(const std::string& name, Clock::time_point now);
    void sweep(Clock::time_point now);

    Failures byAddress;
    Failures byNameAndAddress;
    std::unordered_map<std::string, NameFailures> byName;
    size_t untilSweep = 1024;
};
