// Match-making, judged games, the clock, leaving a game, and the scores that games leave.

#include "Database.h"
#include "ServerFixture.h"

#include <algorithm>
#include <thread>
#include <utility>

TEST_F(ServerTest, WaitingPlayersArePairedInTheOrderTheyJoined) {
    EXPECT_EQ(ask(*client(), EVENT_JOINMATCH), Ints{0}); // not logged in
    std::unique_ptr<TestClient> p[4];
    int32_t id[4];
    for (int i = 0; i < 4; ++i) {
        p[i] = client();
        id[i] = p[i]->enter("player" + std::to_string(i));
    }
    EXPECT_EQ(ask(*p[1], EVENT_CANCELMATCH), Ints{0});
    EXPECT_EQ(ask(*p[1], EVENT_JOINMATCH), Ints{1});
    EXPECT_EQ(ask(*p[1], EVENT_JOINMATCH), Ints{1}); // twice: no error, and no match with itself
    EXPECT_EQ(ask(*p[1], EVENT_CANCELMATCH), Ints{1});
    EXPECT_EQ(ask(*p[1], EVENT_CANCELMATCH), Ints{0});
    EXPECT_EQ(ask(*p[0], EVENT_JOINMATCH), Ints{1});
    EXPECT_EQ(ask(*p[2], EVENT_JOINMATCH), Ints{1});
    EXPECT_EQ(ask(*p[3], EVENT_JOINMATCH), Ints{1});
    for (int i : {0, 2}) {
        const auto match = p[i]->waitPush(EVENT_MATCHRES);
        ASSERT_TRUE(match);
        EXPECT_EQ(std::minmax({match->intAt(1), match->intAt(2)}), std::minmax({id[0], id[2]}));
    }
    EXPECT_TRUE(p[3]->noPush(EVENT_MATCHRES, 200ms));
    EXPECT_EQ(ask(*p[0], EVENT_JOINMATCH), Ints{0}); // in a game
}

// Whether the status row comes to say this many players online and games running within 5 s.
static bool statusReaches(Database& db, int online, int running) {
    int nowOnline = -1, nowRunning = -1;
    for (int i = 0; i < 50 && (nowOnline != online || nowRunning != running); ++i) {
        std::this_thread::sleep_for(100ms);
        db.run("SELECT players_online FROM status", &nowOnline);
        db.run("SELECT games_running FROM status", &nowRunning);
    }
    return nowOnline == online && nowRunning == running;
}

TEST_F(ServerTest, MovesAreCheckedAndFiveInARowWinsForWhite) {
    auto stranger = client();
    expectRefused(*stranger, 7, 7); // not logged in
    stranger->enter("stranger");
    expectRefused(*stranger, 7, 7); // not in a game
    Pair p = matchedPair("b", "w");
    ASSERT_TRUE(p.black);
    expectRefused(*p.white, 7, 7); // not white's turn
    for (const auto& [x, y] : {std::pair{15, 0}, {0, 15}, {-1, 3}}) {
        expectRefused(*p.black, x, y);
    }
    EXPECT_EQ(ask(*p.black, EVENT_CHESS, {7}), (Ints{0, 0, 0})); // a field missing
    // A refused move is not pushed: the next push is this move.
    play(*p.black, *p.white, 7, 7);
    expectRefused(*p.black, 8, 8); // black again
    expectRefused(*p.white, 7, 7); // taken
    for (int x = 0; x < 4; ++x) {
        play(*p.white, *p.black, x, 0);
        play(*p.black, *p.white, 2 * x, 10);
    }
    {
        Database db(server.databasePath());
        EXPECT_TRUE(statusReaches(db, 3, 1)); // for the web face, within a report's period
    }
    play(*p.white, *p.black, 4, 0, 1, OUTCOME_WHITE_WON);
    expectRefused(*p.black, 9, 9); // the game is over
    EXPECT_EQ(scoreOf(*p.black, p.whiteId), (Ints{1516, 1, 0, 0}));
    EXPECT_EQ(scoreOf(*p.black, p.blackId), (Ints{1484, 0, 1, 0}));
    // The game's row keeps the ratings on each side of it, for the web face's history.
    Database db(server.databasePath());
    const std::pair<const char*, int> ratings[] = {{"black_before", 1500},
                                                   {"black_after", 1484},
                                                   {"white_before", 1500},
                                                   {"white_after", 1516}};
    for (const auto& [column, expected] : ratings) {
        int value = 0;
        EXPECT_TRUE(db.run(std::string("SELECT ") + column + " FROM games", &value));
        EXPECT_EQ(value, expected) << column;
    }
    EXPECT_TRUE(statusReaches(db, 3, 0));
}

TEST_F(ServerTest, AFullBoardWithoutFiveIsADraw) {
    Pair p = matchedPair("b", "w");
    ASSERT_TRUE(p.black);
    // Diagonal bands two wide: no line of five anywhere, 113 black and 112 white points.
    std::vector<std::pair<int, int>> cells[2];
    for (int x = 0; x < 15; ++x) {
        for (int y = 0; y < 15; ++y) {
            cells[((x + 2 * y) / 2) % 2].push_back({x, y});
        }
    }
    for (size_t i = 0; i < 112; ++i) {
        play(*p.black, *p.white, cells[0][i].first, cells[0][i].second);
        play(*p.white, *p.black, cells[1][i].first, cells[1][i].second);
    }
    play(*p.black, *p.white, cells[0][112].first, cells[0][112].second, 1, OUTCOME_DRAW);
    EXPECT_EQ(scoreOf(*p.black, p.blackId), (Ints{1500, 0, 0, 1}));
    EXPECT_EQ(scoreOf(*p.black, p.whiteId), (Ints{1500, 0, 0, 1}));
}

// White leaves by a quit, or by a second login to its account, which also closes its old
// connection after a push that says why. A logout or a dropped connection ends a game the same way
// (the durability test).
TEST_F(ServerTest, LeavingAGameLosesItInEachWay) {
    for (const bool takenOver : {false, true}) {
        SCOPED_TRACE(takenOver ? "taken over" : "quit");
        const std::string a = "stay" + std::to_string(takenOver),
                          b = "go" + std::to_string(takenOver);
        Pair p = matchedPair(a, b);
        ASSERT_TRUE(p.black);
        play(*p.black, *p.white, 7, 7);
        std::unique_ptr<TestClient> taker; // lives until the old connection is seen closed
        if (takenOver) {
            const std::string white = p.blackName == a ? b : a;
            taker = client();
            EXPECT_EQ(taker->login(white, white + "-secret"), p.whiteId);
        } else {
            EXPECT_EQ(ask(*p.white, EVENT_QUITCHESS), Ints{1});
            EXPECT_EQ(ask(*p.white, EVENT_QUITCHESS), Ints{1}); // after the end too
        }
        EXPECT_EQ(p.black->waitPush(EVENT_OPPQUIT).value_or(Message{}).ints(), Ints{p.whiteId});
        expectRefused(*p.black, 8, 8);
        EXPECT_EQ(scoreOf(*p.black, p.blackId), (Ints{1516, 1, 0, 0}));
        EXPECT_EQ(scoreOf(*p.black, p.whiteId), (Ints{1484, 0, 1, 0}));
        // Told why before the close, so that its game does not log in again by itself.
        EXPECT_EQ(
            p.white->waitPush(EVENT_ELSEWHERE, takenOver ? TestClient::kWait : 0ms).has_value(),
            takenOver);
        EXPECT_EQ(p.white->closedByServer(takenOver ? TestClient::kWait : 0ms), takenOver);
    }
}

// Black's move hands the clock to white, who runs out. A game whose first mover runs out is in
// the durability test.
TEST_F(ServerTest, RunningOutOfTimeLosesAndNamesTheWinner) {
    expectCleanStop();
    ASSERT_TRUE(server.start({"--move-seconds", "1"})) << server.log();
    Pair p = matchedPair("b", "slowwhite");
    ASSERT_TRUE(p.black);
    play(*p.black, *p.white, 7, 7);
    for (TestClient* c : {p.black.get(), p.white.get()}) {
        EXPECT_EQ(c->waitPush(EVENT_OVERTIME, 4000ms).value_or(Message{}).ints(), Ints{p.blackId});
    }
    expectRefused(*p.white, 8, 8);
    EXPECT_EQ(scoreOf(*p.white, p.blackId), (Ints{1516, 1, 0, 0}));
}
