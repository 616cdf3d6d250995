#pragma once
// Slows down password guessing: after too many failed logins within a minute, for one name or
// from one address, further attempts are refused without being checked until the oldest of
// those failures is a minute old. An address gets more room than a name, since many players
// may share one. Io thread only.

#include <chrono>
#include <deque>
#include <string>
#include <unordered_map>

class LoginThrottle {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr size_t kFailuresPerName = 5;
    static constexpr size_t kFailuresPerAddress = 20;
    static constexpr std::chrono::seconds kWindow{60};

    bool allowed(const std::string& name, const std::string& address, Clock::time_point now);
    void failed(const std::string& name, const std::string& address, Clock::time_point now);
    void succeeded(const std::string& name);

private:
    using Failures = std::unordered_map<std::string, std::deque<Clock::time_point>>;
    static size_t recent(Failures& failures, const std::string& key, Clock::time_point now);
    void sweep(Clock::time_point now);

    Failures byName;
    Failures byAddress;
    size_t untilSweep = 1024;
};
