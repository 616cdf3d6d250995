// What the password hashing owes every address: tries sent side by side are throttled like tries
// sent one after the other, and a flood of registrations from other addresses neither holds up a
// login for long nor a stop. These run at the real hash cost, where a hash takes long enough for
// many requests to wait on it at once.

#include "CLMD5.h"
#include "Database.h"
#include "ServerFixture.h"

#include <algorithm>
#include <functional>
#include <regex>

namespace {

// Connections from 127.0.0.`host`, each sending `code` with the credentials `name(i)` and
// `password`, all before any answer.
struct Crowd {
    Crowd(uint16_t port, int host, size_t size, int32_t code,
          const std::function<std::string(size_t)>& name, const std::string& password) {
        for (size_t i = 0; i < size; ++i) {
            clients.push_back(std::make_unique<TestClient>(port, 0, host));
            EXPECT_TRUE(clients.back()->connected()) << "no connection from 127.0.0." << host;
        }
        for (size_t i = 0; i < size; ++i) {
            const CLDataBuffer fields = credentials(name(i), md5Hex(password.c_str()));
            clients[i]->send(code, &fields);
        }
    }
    // Whether every connection has its answer within `ms`.
    bool answered(int32_t code, int ms) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        return std::all_of(clients.begin(), clients.end(), [&](auto& c) {
            // At least one look, for an answer that came while others were awaited.
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            return c->waitAnswer(code, 1, std::max(left, 1ms)).has_value();
        });
    }

    std::vector<std::unique_ptr<TestClient>> clients;
};

} // namespace

// Sequentially an address gets 5 wrong tries at a name, and 20 at all names, a minute.
TEST_F(ServerTest, WrongLoginsSentAtOnceGetNoMoreTriesThanOneAfterTheOther) {
    expectCleanStop();
    ASSERT_TRUE(server.start({"--hash-cost", "interactive"})) << server.log();
    const struct {
        int host;
        size_t connections;
        std::function<std::string(size_t)> name;
        size_t tries;
    } cases[] = {
        {2, 12, [](size_t) { return "dora"; }, 5},
        {3, 26, [](size_t i) { return "name" + std::to_string(i); }, 20},
    };
    for (const auto& k : cases) {
        Crowd crowd(server.port(), k.host, k.connections, EVENT_LOGIN, k.name, "guess");
        EXPECT_TRUE(crowd.answered(EVENT_LOGIN, scaled(20000))) << k.connections;
    }
    expectCleanStop(); // every line is written
    for (const auto& k : cases) {
        const std::regex tried("login failed for [^\n]* from 127\\.0\\.0\\." +
                               std::to_string(k.host) + "\n");
        const std::string log = server.log();
        EXPECT_EQ(size_t(std::distance(std::sregex_iterator(log.begin(), log.end(), tried),
                                       std::sregex_iterator())),
                  k.tries)
            << k.connections << log;
    }
}

// The flood's registrations wait their turns with the player's address, and those that have not
// started when the server stops are dropped, not hashed before it may exit.
TEST_F(ServerTest, ARegistrationFloodFromOtherAddressesNeitherHoldsUpALoginNorAStop) {
    expectCleanStop();
    ASSERT_TRUE(server.start({"--hash-cost", "interactive"})) << server.log();
    auto player = client();
    ASSERT_EQ(player->registerUser("player", "pw"), 1);
    std::vector<Crowd> flood;
    const size_t floodSize = 4 * 6;
    for (int host = 2; host <= 5; ++host) {
        flood.emplace_back(
            server.port(), host, floodSize / 4, EVENT_REG,
            [host](size_t i) { return "f" + std::to_string(host * 100 + i); }, "pw");
    }
    EXPECT_GT(player->login("player", "pw"), 0);
    expectCleanStop();
    const std::string log = server.log();
    EXPECT_LT(occurrences(log.substr(0, log.find("login player")), "registered f"), floodSize / 2)
        << log;
    int users = 0;
    ASSERT_TRUE(Database(server.databasePath()).run("SELECT count(*) FROM users", &users));
    EXPECT_LT(users, 1 + int(floodSize));
}
