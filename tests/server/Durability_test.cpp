// A game's end reaches its players only once its record and the scores have committed, so that a
// server killed the moment a player hears of the end still has both after a restart. The test
// holds the database's write lock while the game ends: the server cannot commit before the test
// lets it, and one that tells the end earlier is killed while its commit is still waiting. The
// lobby's test holds back every way's pushes, the outage test the answer to a quit.

#include "Database.h"
#include "ServerFixture.h"

TEST_F(ServerTest, AGameEndIsToldOnlyOnceRecordedAndSurvivesAKill) {
    auto bystander = client("bystander");
    Pair p = matchedPair("a", "b");
    ASSERT_TRUE(p.black);
    std::optional<Message> early;
    uint32_t seq = 0;
    {
        Database lock(server.databasePath());
        ASSERT_TRUE(lock.run("BEGIN IMMEDIATE"));
        // Moves need no database: they go on while it is locked.
        for (int x = 0; x < 4; ++x) {
            play(*p.black, *p.white, x, 0);
            play(*p.white, *p.black, x, 1);
        }
        const CLDataBuffer fifth = ints({4, 0});
        seq = p.black->send(EVENT_CHESS, &fifth);
        ASSERT_TRUE(logShows(" ended: ")) << server.log();
        expectServed(*bystander);
        early = p.black->next(100ms);
        if (!early) {
            early = p.white->next(100ms);
        }
        if (early) { // told before the commit could happen: the process dies before it does
            server.crash();
        }
    }
    ASSERT_FALSE(early) << "told before it was recorded: code " << early->code;
    EXPECT_EQ(p.black->waitAnswer(EVENT_CHESS, seq).value_or(Message{}).ints(),
              (Ints{1, 1, OUTCOME_BLACK_WON}));
    EXPECT_EQ(p.white->waitPush(EVENT_OPPCHESS).value_or(Message{}).ints(),
              (Ints{4, 0, 1, OUTCOME_BLACK_WON}));
    server.crash(); // the moment both have heard of the end
    ASSERT_TRUE(server.start()) << server.log();
    auto checker = client("checker");
    // The scores with the record: one transaction.
    EXPECT_EQ(scoreOf(*checker, p.blackId).at(1), 1); // wins
    EXPECT_EQ(scoreOf(*checker, p.whiteId).at(2), 1); // losses
    int recorded = -1;
    EXPECT_TRUE(Database(server.databasePath()).run("SELECT COUNT(*) FROM games", &recorded));
    EXPECT_EQ(recorded, 1);
}
