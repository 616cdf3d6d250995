#pragma once
// The fixture of the server tests: a fresh server per test, and the steps most tests share.

#include "EventCodes.h"
#include "ServerProcess.h"
#include "TestClient.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <vector>

using namespace std::chrono_literals;

class ServerTest : public ::testing::Test {
protected:
    using Ints = std::vector<int32_t>;

    void SetUp() override { ASSERT_TRUE(server.start()) << server.log(); }
    void TearDown() override {
        if (server.running()) {
            expectCleanStop();
        }
    }
    // A clean exit also tells that the sanitizers found nothing in the server process.
    void expectCleanStop() {
        const int status = server.stop();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << server.log();
    }

    // Connected, and logged in to a new account when `name` is given.
    std::unique_ptr<TestClient> client(const std::string& name = "") {
        auto c = std::make_unique<TestClient>(server.port());
        EXPECT_TRUE(name.empty() || c->enter(name) > 0) << name;
        return c;
    }

    // The int fields of the answer to a request (-999 for another type); none without answer.
    static Ints ask(TestClient& c, int32_t code, std::initializer_list<int32_t> ints = {}) {
        return c.requestInts(code, ints).value_or(Message{}).ints();
    }
    // Score, wins, losses, draws.
    static Ints scoreOf(TestClient& asker, int32_t id) {
        const Ints info = ask(asker, EVENT_GETUSERINFO, {id});
        return info.size() == 6 && info[0] == id ? Ints(info.begin() + 2, info.end()) : Ints{};
    }

    struct Pair {
        std::unique_ptr<TestClient> black, white;
        int32_t blackId = -1, whiteId = -1;
    };
    Pair matchedPair(const std::string& a, const std::string& b) {
        auto first = client(), second = client(b);
        const int32_t firstId = first->enter(a);
        EXPECT_EQ(ask(*first, EVENT_JOINMATCH), Ints{1});
        EXPECT_EQ(ask(*second, EVENT_JOINMATCH), Ints{1});
        const auto m = first->waitPush(EVENT_MATCHRES);
        const auto same = second->waitPush(EVENT_MATCHRES);
        if (!m || !same || m->ints() != same->ints() || m->intAt(0) != 1) {
            ADD_FAILURE() << "no match";
            return {};
        }
        const bool firstIsBlack = m->intAt(1) == firstId;
        return {std::move(firstIsBlack ? first : second), std::move(firstIsBlack ? second : first),
                m->intAt(1), m->intAt(2)};
    }

    // An accepted move, its result, and its push to the other player.
    static void play(TestClient& mover, TestClient& other, int x, int y, int over = 0,
                     int outcome = 0) {
        EXPECT_EQ(ask(mover, EVENT_CHESS, {x, y}), (Ints{1, over, outcome})) << x << "," << y;
        EXPECT_EQ(other.waitPush(EVENT_OPPCHESS).value_or(Message{}).ints(),
                  (Ints{x, y, over, outcome}));
    }

    // A logged-in bystander must not notice what another connection does.
    static void expectServed(TestClient& bystander) {
        EXPECT_EQ(ask(bystander, EVENT_JOINMATCH), Ints{1});
        EXPECT_EQ(ask(bystander, EVENT_CANCELMATCH), Ints{1});
    }

    ServerProcess server;
};
