#pragma once
// The HTTP library's task queue with bounds: a fixed number of worker threads, each serving one
// connection at a time (all of its keep-alive requests), and at most `limit` accepted
// connections waiting for one. When that many wait, the accepting thread waits too, so further
// connections stay in the kernel's listen queue instead of in memory.

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class BoundedPool : public httplib::TaskQueue {
public:
    BoundedPool(size_t threads, size_t limit);
    ~BoundedPool() override;

    void enqueue(std::function<void()> job) override;
    // Runs what is queued (each job closes its connection), then joins the threads.
    void shutdown() override;

private:
    void work();

    const size_t limit;
    std::mutex mutex;
    std::condition_variable queued, taken;
    std::deque<std::function<void()>> jobs;
    bool closing = false;
    std::vector<std::thread> threads;
};
