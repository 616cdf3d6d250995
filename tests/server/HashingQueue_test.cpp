// The turns of the addresses at the password hashing, with jobs that finish when the test says.

#include "HashingQueue.h"

#include <gtest/gtest.h>

namespace {

struct Jobs {
    HashingQueue queue;
    std::string started; // the jobs' names in the order they started
    std::vector<std::function<void()>> running;

    void add(const std::string& address, uint64_t connection) {
        queue.add(address, connection, [this, address, connection](std::function<void()> done) {
            started += address + std::to_string(connection) + " ";
            running.push_back(std::move(done));
        });
    }
    void finishFirst() {
        std::function<void()> done = std::move(running.front());
        running.erase(running.begin());
        done();
    }
};

} // namespace

// Two run at once, as many as the hashing pool has threads; then the addresses take turns
// however many each has sent, and a closed connection's job never starts.
TEST(HashingQueue, AddressesTakeTurnsAndAClosedConnectionsJobIsDropped) {
    Jobs jobs;
    for (uint64_t c = 1; c <= 8; ++c) {
        jobs.add("a", c);
    }
    jobs.add("b", 1);
    jobs.add("b", 2);
    jobs.add("c", 1);
    jobs.queue.drop("a", 7);
    EXPECT_EQ(jobs.started, "a1 a2 ");
    jobs.started.clear();
    for (int i = 0; i < 20 && !jobs.running.empty(); ++i) {
        EXPECT_LE(jobs.running.size(), HashingQueue::kRunning);
        jobs.finishFirst();
    }
    EXPECT_EQ(jobs.started, "a3 b1 c1 a4 b2 a5 a6 a8 ");
}

TEST(HashingQueue, AnAddressHasRoomForThirtyTwoWaitingOrRunning) {
    Jobs jobs;
    for (uint64_t c = 1; c <= HashingQueue::kPerAddress; ++c) {
        EXPECT_TRUE(jobs.queue.hasRoom("a")) << c;
        jobs.add("a", c);
    }
    EXPECT_FALSE(jobs.queue.hasRoom("a"));
    EXPECT_TRUE(jobs.queue.hasRoom("b"));
    jobs.finishFirst(); // one running is done
    EXPECT_TRUE(jobs.queue.hasRoom("a"));
    jobs.queue.drop("a", HashingQueue::kPerAddress); // one waiting is gone
    jobs.add("a", 100);
    EXPECT_TRUE(jobs.queue.hasRoom("a"));
}
