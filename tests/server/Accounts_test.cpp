// Registration, login, and what a restart keeps.

#include "CLMD5.h"
#include "Database.h"
#include "ServerFixture.h"

#include <filesystem>
#include <tuple>

// How many tries a guesser gets is counted in the hashing test, from one address and from many.
TEST_F(ServerTest, RegistrationTakesAWellFormedNameOnceWithADigestAndLoginTheRightPassword) {
    auto c = client();
    const std::string pw = md5Hex("pw");
    const std::tuple<std::string, std::string, int32_t> cases[] = {
        {"alice", pw, 1},    {"alice", md5Hex("other"), 0},                         // taken
        {"Łucja 李", pw, 1}, {"tab\there", pw, 0},          {"al\u200Bice", pw, 0}, // invisible
        {"bob", "pw", 0}, // a password, not its digest
        {"bob", pw, 1},
    };
    for (const auto& [name, digest, result] : cases) {
        const CLDataBuffer fields = credentials(name, digest);
        EXPECT_EQ(c->request(EVENT_REG, &fields).value_or(Message{}).ints(), Ints{result})
            << name << " " << digest;
    }
    EXPECT_EQ(ask(*c, EVENT_REG, {1, 2}), Ints{0});      // fields of the wrong type
    EXPECT_EQ(ask(*c, EVENT_GETUSERINFO, {1}), Ints{0}); // not logged in
    EXPECT_EQ(ask(*c, EVENT_LOGOUT), Ints{0});
    EXPECT_EQ(c->login("alice", "other"), -1);
    EXPECT_EQ(c->login("nobody", "pw"), -1);
    const int32_t alice = c->login("alice", "pw"), bob = c->login("bob", "pw");
    EXPECT_TRUE(alice > 0 && bob > 0 && alice != bob) << alice << " " << bob;
    const Message info = c->requestInts(EVENT_GETUSERINFO, {alice}).value_or(Message{});
    EXPECT_EQ(info.fields->stringAt(1).value_or(""), "alice");
    EXPECT_EQ(scoreOf(*c, alice), (Ints{1500, 0, 0, 0}));
    EXPECT_EQ(ask(*c, EVENT_GETUSERINFO, {bob + 100}), Ints{0});
}

// A game still running at the shutdown is stopped unscored.
TEST_F(ServerTest, ARestartKeepsTheAccountsAndFinishedGamesAndLeavesRunningGamesUnscored) {
    Pair p = matchedPair("keeper", "loser");
    Pair q = matchedPair("midgame1", "midgame2");
    ASSERT_TRUE(p.black && q.black);
    play(*q.black, *q.white, 7, 7);
    for (int i = 0; i < 4; ++i) {
        play(*p.black, *p.white, i, 0);
        play(*p.white, *p.black, i, 1);
    }
    play(*p.black, *p.white, 4, 0, 1, OUTCOME_BLACK_WON);
    // For the web face, within a report's period: 4 players online, 1 game running.
    int status = -1;
    EXPECT_TRUE(eventually(
        [&] {
            Database(server.databasePath())
                .run("SELECT players_online * 100 + games_running FROM status", &status);
            return status == 401;
        },
        5000, 100))
        << status;
    // After the end a quit only answers, and both may join again.
    EXPECT_EQ(ask(*p.white, EVENT_QUITCHESS), Ints{1});
    EXPECT_TRUE(p.black->noPush(EVENT_OPPQUIT, 200ms));
    EXPECT_EQ(ask(*p.black, EVENT_JOINMATCH), Ints{1});
    ASSERT_EQ(client()->registerUser("latecomer", "pw"), 1);
    expectCleanStop(); // at once after the answers: what they announced must be on disk
    EXPECT_NE(server.log().find("stopped unfinished by the shutdown"), std::string::npos);
    const std::string stored =
        fileText(server.databasePath()) + fileText(server.databasePath() + "-wal");
    EXPECT_NE(stored.find("0,0 0,1 1,0 1,1 2,0 2,1 3,0 3,1 4,0"), std::string::npos); // the moves
    EXPECT_EQ(stored.find(md5Hex("pw")), std::string::npos);
    EXPECT_NE(stored.find("$argon2id$"), std::string::npos);
    // Kept for the web face, which may not make it in the database's folder.
    EXPECT_TRUE(std::filesystem::exists(server.databasePath() + "-shm"));
    ASSERT_TRUE(server.start()) << server.log();
    auto c = client();
    EXPECT_GT(c->login("latecomer", "pw"), 0);
    EXPECT_EQ(scoreOf(*c, p.blackId), (Ints{1516, 1, 0, 0}));
    EXPECT_EQ(scoreOf(*c, p.whiteId), (Ints{1484, 0, 1, 0}));
    EXPECT_EQ(scoreOf(*c, q.blackId), (Ints{1500, 0, 0, 0}));
    EXPECT_EQ(scoreOf(*c, q.whiteId), (Ints{1500, 0, 0, 0}));
}
