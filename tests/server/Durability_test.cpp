// A game's end reaches its players only once its record and the scores have committed, so that a
// server killed the moment a player hears of the end still has both after a restart. The test
// holds the database's write lock while the game ends: the server cannot commit before the test
// lets it, and one that tells the end earlier is killed while its commit is still waiting. The
// ways whose end is told by an answer are tried here; the lobby's test holds every way's pushes.

#include "Database.h"
#include "ServerFixture.h"

TEST_F(ServerTest, AGameEndIsToldOnlyOnceRecordedAndSurvivesAKill) {
    enum Way { Five, Quit, Logout };
    for (Way way : {Five, Quit, Logout}) {
        SCOPED_TRACE(way);
        const std::string tag = std::to_string(way);
        auto bystander = client("bystander" + tag);
        auto black = client(), white = client();
        int32_t blackId = black->enter("a" + tag), whiteId = white->enter("b" + tag);
        uint32_t seq = 0;
        std::optional<Message> early;
        {
            Database lock(server.databasePath());
            ASSERT_TRUE(lock.run("BEGIN IMMEDIATE"));
            // Matching and moves need no database: they go on while it is locked.
            EXPECT_EQ(ask(*black, EVENT_JOINMATCH), Ints{1});
            EXPECT_EQ(ask(*white, EVENT_JOINMATCH), Ints{1});
            const auto match = black->waitPush(EVENT_MATCHRES);
            ASSERT_TRUE(match && white->waitPush(EVENT_MATCHRES));
            if (match->intAt(1) != blackId) {
                std::swap(black, white);
                std::swap(blackId, whiteId);
            }
            for (int x = 0; x < 4; ++x) {
                play(*black, *white, x, 0);
                play(*white, *black, x, 1);
            }
            const CLDataBuffer fifth = ints({4, 0});
            if (way == Five) {
                seq = black->send(EVENT_CHESS, &fifth);
            } else {
                seq = white->send(way == Quit ? EVENT_QUITCHESS : EVENT_LOGOUT);
            }
            ASSERT_TRUE(logShows(" ended: ", size_t(way) + 1)) << server.log();
            expectServed(*bystander);
            early = black->next(100ms);
            if (!early) {
                early = white->next(100ms);
            }
            if (early) { // told before the commit could happen: the process dies before it does
                server.crash();
            }
        }
        EXPECT_FALSE(early) << "told before it was recorded: code " << (early ? early->code : 0);
        if (server.running()) {
            struct Heard {
                TestClient* by;
                int32_t code;
                bool answer; // to the request that ended the game, else a push
                Ints ints;
            };
            std::vector<Heard> heard{
                {black.get(), EVENT_OPPQUIT, false, {whiteId}},
                {white.get(), way == Quit ? EVENT_QUITCHESS : EVENT_LOGOUT, true, {1}}};
            if (way == Five) {
                heard = {{black.get(), EVENT_CHESS, true, {1, 1, OUTCOME_BLACK_WON}},
                         {white.get(), EVENT_OPPCHESS, false, {4, 0, 1, OUTCOME_BLACK_WON}}};
            }
            for (const Heard& h : heard) {
                const auto m = h.answer ? h.by->waitAnswer(h.code, seq) : h.by->waitPush(h.code);
                EXPECT_EQ(m.value_or(Message{}).ints(), h.ints) << h.code;
            }
            server.crash(); // the moment both have heard of the end
        }
        ASSERT_TRUE(server.start()) << server.log();
        auto checker = client("checker" + tag);
        // The scores with the record: one transaction.
        EXPECT_EQ(scoreOf(*checker, blackId).at(1), 1); // wins
        EXPECT_EQ(scoreOf(*checker, whiteId).at(2), 1); // losses
        const std::string games = "SELECT COUNT(*) FROM games WHERE reason = '" +
                                  std::string(way == Five ? "five" : "quit") +
                                  "' AND black = " + std::to_string(blackId) +
                                  " AND white = " + std::to_string(whiteId);
        int recorded = -1;
        EXPECT_TRUE(Database(server.databasePath()).run(games, &recorded));
        EXPECT_EQ(recorded, 1);
    }
}
