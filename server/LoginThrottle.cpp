#include "LoginThrottle.h"

#include <algorithm>

namespace {

using Clock = LoginThrottle::Clock;

// A name longer than any valid one is refused anyway; keep the key small.
std::string nameKey(const std::string& name) {
    return name.substr(0, 40);
}

// An address holds no blank: the pair's key splits at the first one.
std::string pairKey(const std::string& name, const std::string& address) {
    return address + ' ' + nameKey(name);
}

void expire(std::deque<Clock::time_point>& times, Clock::time_point now) {
    while (!times.empty() && now - times.front() >= LoginThrottle::kWindow) {
        times.pop_front();
    }
}

Clock::duration delayAfter(size_t nameFailures) {
    if (nameFailures <= LoginThrottle::kFreeNameFailures) {
        return Clock::duration::zero();
    }
    const size_t doublings =
        std::min<size_t>(nameFailures - LoginThrottle::kFreeNameFailures - 1, 16);
    return std::min<Clock::duration>(LoginThrottle::kFirstDelay * (1 << doublings),
                                     LoginThrottle::kMaxDelay);
}

} // namespace

size_t LoginThrottle::recent(Times& times, const std::string& key, Clock::time_point now) {
    auto found = times.find(key);
    if (found == times.end()) {
        return 0;
    }
    expire(found->second, now);
    const size_t n = found->second.size();
    if (n == 0) {
        times.erase(found);
    }
    return n;
}

size_t LoginThrottle::nameFailures(const std::string& name, Clock::time_point now) {
    auto found = byName.find(nameKey(name));
    if (found == byName.end()) {
        return 0;
    }
    if (now - found->second.last >= kNameMemory) {
        byName.erase(found);
        return 0;
    }
    return found->second.count;
}

bool LoginThrottle::allowed(const std::string& name, const std::string& address,
                            Clock::time_point now) {
    if (recent(byAddress, address, now) >= kFailuresPerAddress) {
        return false;
    }
    const std::string pair = pairKey(name, address);
    const size_t mine = recent(byNameAndAddress, pair, now);
    if (mine == 0) {
        return true;
    }
    return mine < kFailuresPerNameAndAddress &&
           now - byNameAndAddress[pair].back() >= delayAfter(nameFailures(name, now));
}

bool LoginThrottle::takeLogin(const std::string& name, const std::string& address,
                              Clock::time_point now) {
    if (!allowed(name, address, now)) {
        return false;
    }
    byAddress[address].push_back(now);
    byNameAndAddress[pairKey(name, address)].push_back(now);
    NameFailures& n = byName[nameKey(name)];
    n.count = now - n.last >= kNameMemory ? 1 : n.count + 1;
    n.last = now;
    if (--untilSweep == 0) {
        sweep(now);
    }
    return true;
}

void LoginThrottle::succeeded(const std::string& name, const std::string& address,
                              Clock::time_point takenAt) {
    byNameAndAddress.erase(pairKey(name, address));
    auto mine = byAddress.find(address);
    if (mine != byAddress.end()) {
        std::deque<Clock::time_point>& times = mine->second;
        const auto at = std::find(times.rbegin(), times.rend(), takenAt);
        if (at != times.rend()) {
            times.erase(std::next(at).base());
        }
        if (times.empty()) {
            byAddress.erase(mine);
        }
    }
    auto named = byName.find(nameKey(name));
    if (named != byName.end() && named->second.count > 0) {
        --named->second.count;
    }
}

bool LoginThrottle::takeRegistration(const std::string& address, Clock::time_point now) {
    if (recent(registrations, address, now) >= kRegistrationsPerAddress) {
        return false;
    }
    registrations[address].push_back(now);
    if (--untilSweep == 0) {
        sweep(now);
    }
    return true;
}

void LoginThrottle::sweep(Clock::time_point now) {
    untilSweep = 1024;
    for (Times* times : {&byNameAndAddress, &byAddress, &registrations}) {
        for (auto it = times->begin(); it != times->end();) {
            expire(it->second, now);
            it = it->second.empty() ? times->erase(it) : std::next(it);
        }
    }
    for (auto it = byName.begin(); it != byName.end();) {
        it = now - it->second.last >= kNameMemory ? byName.erase(it) : std::next(it);
    }
}
