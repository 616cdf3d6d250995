// A game's end waits for its record however long the database cannot take it: its write lock
// held by another connection, or no file allowed to grow (as on a full disk or a read-only file;
// a file-size limit, which binds root too). Only that game's players wait. Then the fault
// passes, or the server is killed or stopped while they wait: either way the record and both
// scores land, at the latest at the next start. A database file deleted under the server is
// reported at every write.

#include "Database.h"
#include "ServerFixture.h"

#include <cstdio>

namespace {

// The fault ("Lock" or "NoSpace"), then how it ends: "Passes", "Killed" or "Stopped".
class DatabaseOutage : public ServerTest, public ::testing::WithParamInterface<std::string> {
protected:
    // No log file: a file-size limit then stops the database's writes and no log line.
    void SetUp() override {
        server.usePipe();
        ServerTest::SetUp();
    }
};

} // namespace

TEST_P(DatabaseOutage, AGameEndIsToldOnlyOnceRecordedAndLandsAtTheLatestAtTheNextStart) {
    const bool lock = GetParam().rfind("Lock", 0) == 0;
    const std::string then = GetParam().substr(lock ? 4 : 7);
    ASSERT_EQ(client()->registerUser("reader", "reader-secret"), 1);
    Pair game = matchedPair("black", "white"), elsewhere = matchedPair("c", "d");
    ASSERT_TRUE(game.black && elsewhere.black);
    {
        Database other(server.databasePath());
        ASSERT_TRUE(lock ? other.run("BEGIN IMMEDIATE") : server.limitFileSize(0));
        const uint32_t seq = game.white->send(EVENT_QUITCHESS);
        ASSERT_TRUE(server.logShows("error: recording a game", 1, 10000)) << server.log();
        // Other games and logins need no write: they go on.
        play(*elsewhere.black, *elsewhere.white, 7, 7);
        EXPECT_GT(client()->login("reader", "reader-secret"), 0);
        EXPECT_FALSE(game.black->next(200ms)) << "told before it was recorded";
        EXPECT_FALSE(game.white->next(200ms)) << "told before it was recorded";
        if (then == "Killed") {
            server.crash();
        } else if (then == "Stopped") {
            expectCleanStop(); // while the fault lasts
            EXPECT_NE(server.log().find("stop: 1 games not yet recorded, left in"),
                      std::string::npos)
                << server.log();
        }
        ASSERT_TRUE(lock ? other.run("ROLLBACK") : server.limitFileSize(-1));
        if (then == "Passes") {
            EXPECT_EQ(game.black->waitPush(EVENT_OPPQUIT).value_or(Message{}).ints(),
                      Ints{game.whiteId});
            EXPECT_EQ(game.white->waitAnswer(EVENT_QUITCHESS, seq).value_or(Message{}).ints(),
                      Ints{1});
            EXPECT_TRUE(server.logShows("recorded again: 1 games that waited")) << server.log();
        }
    }
    if (!server.running()) {
        ASSERT_TRUE(server.start()) << server.log();
    }
    auto checker = client("checker");
    EXPECT_EQ(scoreOf(*checker, game.blackId), (Ints{1516, 1, 0, 0}));
    EXPECT_EQ(scoreOf(*checker, game.whiteId), (Ints{1484, 0, 1, 0}));
    int recorded = -1;
    EXPECT_TRUE(Database(server.databasePath()).run("SELECT COUNT(*) FROM games", &recorded));
    EXPECT_EQ(recorded, 1);
    // Once per outage, however often the write was tried.
    EXPECT_EQ(occurrences(server.log(), "error: recording a game"), 1u) << server.log();
}

INSTANTIATE_TEST_SUITE_P(Faults, DatabaseOutage,
                         ::testing::Values("LockPasses", "NoSpacePasses", "LockKilled",
                                           "LockStopped"),
                         [](const auto& info) { return info.param; });

TEST_F(ServerTest, ADatabaseFileDeletedUnderTheServerIsReportedAtEachWrite) {
    auto c = client();
    ASSERT_EQ(c->registerUser("before", "pw"), 1);
    ASSERT_EQ(std::remove(server.databasePath().c_str()), 0);
    c->registerUser("first", "pw");
    c->registerUser("second", "pw");
    EXPECT_TRUE(server.logShows("error: database " + server.databasePath() + " deleted", 2))
        << server.log();
}
