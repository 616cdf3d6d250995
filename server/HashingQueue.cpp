#include "HashingQueue.h"

#include <algorithm>

bool HashingQueue::hasRoom(const std::string& address) const {
    const auto found = byAddress.find(address);
    return found == byAddress.end() ||
           found->second.waiting.size() + found->second.running < kPerAddress;
}

void HashingQueue::add(const std::string& address, uint64_t connection, Job job) {
    Queue& queue = byAddress[address];
    queue.waiting.push_back({connection, std::move(job)});
    if (!queue.inTurns) {
        queue.inTurns = true;
        turns.push_back(address);
    }
    startNext();
}

void HashingQueue::drop(const std::string& address, uint64_t connection) {
    const auto found = byAddress.find(address);
    if (found == byAddress.end()) {
        return;
    }
    std::deque<Waiting>& waiting = found->second.waiting;
    waiting.erase(std::remove_if(waiting.begin(), waiting.end(),
                                 [&](const Waiting& w) { return w.connection == connection; }),
                  waiting.end());
    // An emptied queue keeps its place in the turns until its turn comes: no search here.
}

void HashingQueue::startNext() {
    while (running < kRunning && !turns.empty()) {
        const std::string address = std::move(turns.front());
        turns.pop_front();
        const auto found = byAddress.find(address);
        Queue& queue = found->second;
        queue.inTurns = false;
        if (queue.waiting.empty()) {
            forgetIfIdle(found);
            continue;
        }
        Job job = std::move(queue.waiting.front().job);
        queue.waiting.pop_front();
        if (!queue.waiting.empty()) { // its next request waits for a turn after everyone else's
            queue.inTurns = true;
            turns.push_back(address);
        }
        ++queue.running;
        ++running;
        job([this, address] { finished(address); });
    }
}

void HashingQueue::finished(const std::string& address) {
    --running;
    const auto found = byAddress.find(address);
    --found->second.running;
    forgetIfIdle(found);
    startNext();
}

void HashingQueue::forgetIfIdle(std::unordered_map<std::string, Queue>::iterator queue) {
    if (queue->second.waiting.empty() && queue->second.running == 0 && !queue->second.inTurns) {
        byAddress.erase(queue);
    }
}
