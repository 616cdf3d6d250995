#pragma once
// The fixture of the server tests: a fresh server per test, and the steps most tests share.

#include "EventCodes.h"
#include "ServerProcess.h"
#include "TestClient.h"

#include <gtest/gtest.h>
#include <memory>
#include <sys/wait.h>
#include <string>
#include <vector>

class ServerTest : public ::testing::Test {
protected:
    // Options beyond the test defaults, for a fixture that needs them.
    virtual std::vector<std::string> serverOptions() const { return {}; }

    void SetUp() override { ASSERT_TRUE(server.start(serverOptions())) << server.log(); }

    // A clean stop also tells that the sanitizers found nothing in the server process.
    void TearDown() override {
        if (server.running()) {
            const int status = server.stop();
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                << "status " << status << "\n"
                << server.log();
        }
    }

    std::unique_ptr<TestClient> client() {
        auto c = std::make_unique<TestClient>(server.port());
        EXPECT_TRUE(c->connected());
        return c;
    }

    // Two logged-in players matched with each other: black first.
    struct Pair {
        std::unique_ptr<TestClient> black;
        std::unique_ptr<TestClient> white;
        int32_t blackId = -1;
        int32_t whiteId = -1;
    };
    Pair matchedPair(const std::string& a, const std::string& b) {
        Pair pair;
        auto first = client();
        auto second = client();
        const int32_t firstId = first->enter(a);
        const int32_t secondId = second->enter(b);
        EXPECT_GT(firstId, 0);
        EXPECT_GT(secondId, 0);
        EXPECT_EQ(first->request(EVENT_JOINMATCH)->intAt(0), 1);
        EXPECT_EQ(second->request(EVENT_JOINMATCH)->intAt(0), 1);
        const auto m1 = first->waitPush(EVENT_MATCHRES);
        const auto m2 = second->waitPush(EVENT_MATCHRES);
        EXPECT_TRUE(m1 && m2);
        if (!m1 || !m2) {
            return pair;
        }
        EXPECT_EQ(m1->intAt(0), 1);
        EXPECT_EQ(m1->intAt(1), m2->intAt(1));
        EXPECT_EQ(m1->intAt(2), m2->intAt(2));
        pair.blackId = m1->intAt(1);
        pair.whiteId = m1->intAt(2);
        const bool firstIsBlack = pair.blackId == firstId;
        EXPECT_EQ(firstIsBlack ? secondId : firstId, pair.whiteId);
        pair.black = std::move(firstIsBlack ? first : second);
        pair.white = std::move(firstIsBlack ? second : first);
        return pair;
    }

    ServerProcess server;
};
