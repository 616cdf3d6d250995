#include "LoginThrottle.h"

namespace {

// A name longer than any valid one is refused anyway; keep the key small.
std::string nameKey(const std::string& name) {
    return name.substr(0, 40);
}

} // namespace

size_t LoginThrottle::recent(Failures& failures, const std::string& key, Clock::time_point now) {
    auto found = failures.find(key);
    if (found == failures.end()) {
        return 0;
    }
    std::deque<Clock::time_point>& times = found->second;
    while (!times.empty() && now - times.front() >= kWindow) {
        times.pop_front();
    }
    const size_t n = times.size();
    if (n == 0) {
        failures.erase(found);
    }
    return n;
}

bool LoginThrottle::allowed(const std::string& name, const std::string& address,
                            Clock::time_point now) {
    return recent(byAddress, address, now) < kFailuresPerAddress &&
           recent(byName, nameKey(name), now) < kFailuresPerName;
}

void LoginThrottle::failed(const std::string& name, const std::string& address,
                           Clock::time_point now) {
    byAddress[address].push_back(now);
    byName[nameKey(name)].push_back(now);
    if (--untilSweep == 0) {
        sweep(now);
    }
}

void LoginThrottle::succeeded(const std::string& name) {
    byName.erase(nameKey(name));
}

void LoginThrottle::sweep(Clock::time_point now) {
    untilSweep = 1024;
    for (Failures* failures : {&byName, &byAddress}) {
        for (auto it = failures->begin(); it != failures->end();) {
            auto& times = it->second;
            while (!times.empty() && now - times.front() >= kWindow) {
                times.pop_front();
            }
            it = times.empty() ? failures->erase(it) : std::next(it);
        }
    }
}
