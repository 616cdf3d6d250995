#include "BoundedPool.h"

BoundedPool::BoundedPool(size_t threads, size_t limit) : limit(limit) {
    for (size_t i = 0; i < threads; ++i) {
        this->threads.emplace_back([this] { work(); });
    }
}

BoundedPool::~BoundedPool() {
    shutdown();
}

void BoundedPool::enqueue(std::function<void()> job) {
    std::unique_lock<std::mutex> lock(mutex);
    taken.wait(lock, [this] { return jobs.size() < limit || closing; });
    jobs.push_back(std::move(job));
    queued.notify_one();
}

void BoundedPool::shutdown() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        closing = true;
    }
    queued.notify_all();
    taken.notify_all();
    for (std::thread& t : threads) {
        if (t.joinable()) {
            t.join();
        }
    }
}

void BoundedPool::work() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> lock(mutex);
            queued.wait(lock, [this] { return !jobs.empty() || closing; });
            if (jobs.empty()) {
                return;
            }
            job = std::move(jobs.front());
            jobs.pop_front();
        }
        taken.notify_one();
        job();
    }
}
