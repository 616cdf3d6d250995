#pragma once
// Slows down password guessing and account floods without letting anyone lock a player out from
// elsewhere. A login counts as a failure from the moment it is taken, before its hash is checked,
// and stops counting only once it turns out right: tries sent side by side on many connections
// get no more than tries sent one after the other.
// Failed logins count per address and per name and address: after kFailuresPerAddress within a
// minute an address may not log in to any name, after kFailuresPerNameAndAddress not to that
// name, until the oldest of those failures is a minute old. They also count per name, from every
// address: beyond kFreeNameFailures, an address that has itself failed on the name waits before
// its next try there, kFirstDelay after its last failure, twice as long for each further failure
// on the name, up to kMaxDelay. An address without failures on the name is never held back by
// the failures of others, so the player's own tries go through while someone elsewhere guesses.
// A name's count is forgotten after kNameMemory without a failure. An address may ask for
// kRegistrationsPerAddress new accounts within a minute. Io thread only.

#include <chrono>
#include <deque>
#include <string>
#include <unordered_map>

class LoginThrottle {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr size_t kFailuresPerNameAndAddress = 5;
    static constexpr size_t kFailuresPerAddress = 20;
    static constexpr size_t kRegistrationsPerAddress = 20;
    static constexpr std::chrono::seconds kWindow{60};
    static constexpr size_t kFreeNameFailures = 10;
    static constexpr std::chrono::seconds kFirstDelay{1};
    static constexpr std::chrono::seconds kMaxDelay{60};
    static constexpr std::chrono::minutes kNameMemory{15};
    // A delay counts from the address's last failure on the name, which is kept for kWindow.
    static_assert(kMaxDelay <= kWindow);

    // Whether `address` may try `name` now; if so, the try counts as a failure from `now` on.
    bool takeLogin(const std::string& name, const std::string& address, Clock::time_point now);
    // The try taken at `takenAt` was right: it no longer counts, and the failures on `name` from
    // `address` are forgotten.
    void succeeded(const std::string& name, const std::string& address, Clock::time_point takenAt);
    // Whether `address` may ask for a new account now; if so, the request counts.
    bool takeRegistration(const std::string& address, Clock::time_point now);

private:
    using Times = std::unordered_map<std::string, std::deque<Clock::time_point>>;
    struct NameFailures {
        size_t count = 0;
        Clock::time_point last;
    };
    static size_t recent(Times& times, const std::string& key, Clock::time_point now);
    bool allowed(const std::string& name, const std::string& address, Clock::time_point now);
    size_t nameFailures(const std::string& name, Clock::time_point now);
    void sweep(Clock::time_point now);

    Times byAddress;
    Times byNameAndAddress;
    Times registrations; // by address
    std::unordered_map<std::string, NameFailures> byName;
    size_t untilSweep = 1024;
};
