// Match-making, judged games, the clock, leaving a game, and the scores that games leave.

#include "ServerFixture.h"

#include <regex>

namespace {

using namespace std::chrono_literals;

// Plays (x, y) for `mover` and checks the answer and the opponent's push.
void play(TestClient& mover, TestClient& other, int x, int y, int over = 0, int outcome = 0) {
    const auto answer = mover.requestInts(EVENT_CHESS, {x, y});
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->count(), 3u);
    EXPECT_EQ(answer->intAt(0), 1) << "move " << x << "," << y;
    EXPECT_EQ(answer->intAt(1), over);
    EXPECT_EQ(answer->intAt(2), outcome);
    const auto pushed = other.waitPush(EVENT_OPPCHESS);
    ASSERT_TRUE(pushed);
    ASSERT_EQ(pushed->count(), 4u);
    EXPECT_EQ(pushed->intAt(0), x);
    EXPECT_EQ(pushed->intAt(1), y);
    EXPECT_EQ(pushed->intAt(2), over);
    EXPECT_EQ(pushed->intAt(3), outcome);
}

void expectRefused(TestClient& mover, int x, int y) {
    const auto answer = mover.requestInts(EVENT_CHESS, {x, y});
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->intAt(0), 0) << "move " << x << "," << y;
    EXPECT_EQ(answer->intAt(1), 0);
    EXPECT_EQ(answer->intAt(2), 0);
}

struct Score {
    int32_t score, wins, losses, draws;
};

Score scoreOf(TestClient& asker, int32_t id) {
    const auto info = asker.requestInts(EVENT_GETUSERINFO, {id});
    EXPECT_TRUE(info);
    if (!info || info->count() < 6) {
        ADD_FAILURE() << "no user info for " << id;
        return {0, 0, 0, 0};
    }
    EXPECT_EQ(info->intAt(0), id);
    return {info->intAt(2), info->intAt(3), info->intAt(4), info->intAt(5)};
}

} // namespace

TEST_F(ServerTest, JoinAndCancelAnswerWhetherThePlayerWaits) {
    auto c = client();
    EXPECT_EQ(c->request(EVENT_JOINMATCH)->intAt(0), 0); // not logged in
    ASSERT_GT(c->enter("ann"), 0);
    EXPECT_EQ(c->request(EVENT_CANCELMATCH)->intAt(0), 0);
    EXPECT_EQ(c->request(EVENT_JOINMATCH)->intAt(0), 1);
    EXPECT_EQ(c->request(EVENT_JOINMATCH)->intAt(0), 1); // twice is not an error...
    EXPECT_TRUE(c->noPush(EVENT_MATCHRES, 200ms));       // ...nor a match with oneself
    EXPECT_EQ(c->request(EVENT_CANCELMATCH)->intAt(0), 1);
    EXPECT_EQ(c->request(EVENT_CANCELMATCH)->intAt(0), 0);

    // A cancelled player is not matched with the next one who joins.
    auto d = client();
    ASSERT_GT(d->enter("bob"), 0);
    EXPECT_EQ(d->request(EVENT_JOINMATCH)->intAt(0), 1);
    EXPECT_TRUE(d->noPush(EVENT_MATCHRES, 200ms));
}

TEST_F(ServerTest, WaitingPlayersArePairedFirstComeFirstServed) {
    auto a = client();
    auto b = client();
    auto c = client();
    const int32_t idA = a->enter("first");
    const int32_t idB = b->enter("second");
    c->enter("third");
    EXPECT_EQ(a->request(EVENT_JOINMATCH)->intAt(0), 1);
    EXPECT_EQ(b->request(EVENT_JOINMATCH)->intAt(0), 1);
    EXPECT_EQ(c->request(EVENT_JOINMATCH)->intAt(0), 1);
    const auto match = a->waitPush(EVENT_MATCHRES);
    ASSERT_TRUE(match);
    EXPECT_TRUE((match->intAt(1) == idA && match->intAt(2) == idB) ||
                (match->intAt(1) == idB && match->intAt(2) == idA));
    EXPECT_TRUE(b->waitPush(EVENT_MATCHRES));
    EXPECT_TRUE(c->noPush(EVENT_MATCHRES, 200ms));
    // In a game, joining is refused.
    EXPECT_EQ(a->request(EVENT_JOINMATCH)->intAt(0), 0);
}

TEST_F(ServerTest, BlackWinsWithFiveAndScoresAreUpdated) {
    Pair p = matchedPair("black", "white");
    ASSERT_TRUE(p.black && p.white);
    for (int i = 0; i < 4; ++i) {
        play(*p.black, *p.white, i, 0);
        play(*p.white, *p.black, i, 1);
    }
    play(*p.black, *p.white, 4, 0, 1, OUTCOME_BLACK_WON);
    expectRefused(*p.white, 4, 1); // the game is over

    const Score b = scoreOf(*p.black, p.blackId);
    const Score w = scoreOf(*p.black, p.whiteId);
    EXPECT_EQ(b.score, 1516);
    EXPECT_EQ(w.score, 1484);
    EXPECT_EQ(b.wins, 1);
    EXPECT_EQ(b.losses, 0);
    EXPECT_EQ(w.losses, 1);
    EXPECT_EQ(w.wins, 0);

    // After the end both may join again, and quit just answers.
    EXPECT_EQ(p.white->request(EVENT_QUITCHESS)->intAt(0), 1);
    EXPECT_TRUE(p.black->noPush(EVENT_OPPQUIT, 200ms));
    EXPECT_EQ(p.black->request(EVENT_JOINMATCH)->intAt(0), 1);
}

TEST_F(ServerTest, WhiteWinsWithSixOrMore) {
    Pair p = matchedPair("b", "w");
    ASSERT_TRUE(p.black && p.white);
    // White builds 0..2 and 4..5 on row 0, then fills 3: a line of six.
    const int whiteXs[] = {0, 1, 2, 4, 5};
    for (int i = 0; i < 5; ++i) {
        play(*p.black, *p.white, 2 * i, 10);
        play(*p.white, *p.black, whiteXs[i], 0);
    }
    play(*p.black, *p.white, 14, 14);
    play(*p.white, *p.black, 3, 0, 1, OUTCOME_WHITE_WON);
    EXPECT_EQ(scoreOf(*p.white, p.whiteId).wins, 1);
    EXPECT_EQ(scoreOf(*p.white, p.blackId).losses, 1);
}

TEST_F(ServerTest, RefusedMovesChangeNothing) {
    auto stranger = client();
    expectRefused(*stranger, 7, 7); // not logged in
    stranger->enter("stranger");
    expectRefused(*stranger, 7, 7); // not in a game

    Pair p = matchedPair("b", "w");
    ASSERT_TRUE(p.black && p.white);
    expectRefused(*p.white, 7, 7); // not white's turn
    expectRefused(*p.black, 15, 0);
    expectRefused(*p.black, 0, 15);
    expectRefused(*p.black, -1, 3);
    CLDataBuffer words;
    words.addString("7");
    words.addString("7");
    const auto wrongTypes = p.black->request(EVENT_CHESS, &words);
    EXPECT_EQ(wrongTypes->intAt(0), 0);
    EXPECT_EQ(wrongTypes->count(), 3u);
    const auto oneField = p.black->requestInts(EVENT_CHESS, {7});
    EXPECT_EQ(oneField->intAt(0), 0);
    EXPECT_TRUE(p.white->noPush(EVENT_OPPCHESS, 100ms));

    play(*p.black, *p.white, 7, 7);
    expectRefused(*p.black, 8, 8);  // black again
    expectRefused(*p.white, 7, 7);  // taken
    play(*p.white, *p.black, 8, 8); // still white's turn after the refusals
}

TEST_F(ServerTest, AFullBoardWithoutFiveIsADraw) {
    Pair p = matchedPair("b", "w");
    ASSERT_TRUE(p.black && p.white);
    // Diagonal bands two wide: no line of five anywhere, 113 black and 112 white points.
    std::vector<std::pair<int, int>> cells[2];
    for (int x = 0; x < 15; ++x) {
        for (int y = 0; y < 15; ++y) {
            cells[((x + 2 * y) / 2) % 2].push_back({x, y});
        }
    }
    ASSERT_EQ(cells[0].size(), 113u);
    for (size_t i = 0; i < 112; ++i) {
        play(*p.black, *p.white, cells[0][i].first, cells[0][i].second);
        play(*p.white, *p.black, cells[1][i].first, cells[1][i].second);
    }
    play(*p.black, *p.white, cells[0][112].first, cells[0][112].second, 1, OUTCOME_DRAW);
    const Score b = scoreOf(*p.black, p.blackId);
    EXPECT_EQ(b.draws, 1);
    EXPECT_EQ(b.score, 1500);
    EXPECT_EQ(scoreOf(*p.black, p.whiteId).draws, 1);
}

TEST_F(ServerTest, LeavingAGameLosesItInEachWay) {
    enum Way { Quit, Logout, Drop };
    for (Way way : {Quit, Logout, Drop}) {
        SCOPED_TRACE(way);
        const std::string suffix = std::to_string(way);
        Pair p = matchedPair("stay" + suffix, "leave" + suffix);
        ASSERT_TRUE(p.black && p.white);
        play(*p.black, *p.white, 7, 7);
        if (way == Quit) {
            EXPECT_EQ(p.white->request(EVENT_QUITCHESS)->intAt(0), 1);
            EXPECT_EQ(p.white->request(EVENT_QUITCHESS)->intAt(0), 1); // after the end too
        } else if (way == Logout) {
            EXPECT_EQ(p.white->request(EVENT_LOGOUT)->intAt(0), 1);
            EXPECT_EQ(p.white->request(EVENT_LOGOUT)->intAt(0), 0);
        } else {
            p.white->disconnect();
        }
        const auto left = p.black->waitPush(EVENT_OPPQUIT);
        ASSERT_TRUE(left);
        EXPECT_EQ(left->intAt(0), p.whiteId);
        expectRefused(*p.black, 8, 8);
        EXPECT_EQ(scoreOf(*p.black, p.blackId).wins, 1);
        EXPECT_EQ(scoreOf(*p.black, p.whiteId).losses, 1);
    }
}

TEST_F(ServerTest, UserInfoNeedsALoginAndAKnownId) {
    auto c = client();
    EXPECT_EQ(c->requestInts(EVENT_GETUSERINFO, {1})->count(), 1u);
    const int32_t id = c->enter("carol");
    const auto info = c->requestInts(EVENT_GETUSERINFO, {id});
    ASSERT_EQ(info->count(), 6u);
    EXPECT_EQ(info->fields->stringAt(1).value_or(""), "carol");
    EXPECT_EQ(info->intAt(2), 1500);
    EXPECT_LT(c->requestInts(EVENT_GETUSERINFO, {id + 100})->count(), 6u);
    EXPECT_LT(c->request(EVENT_GETUSERINFO)->count(), 6u);
}

TEST_F(ServerTest, TheNoticeIsRefusedWhenNoneIsSet) {
    CLDataBuffer cn;
    cn.addString("cn");
    const auto notice = client()->request(EVENT_GETNOTICE, &cn);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->intAt(0), 0);
}

class NoticeTest : public ServerTest {
    std::vector<std::string> serverOptions() const override {
        return {"--notice", "Tournament on Sunday"};
    }
};

TEST_F(NoticeTest, TheNoticeCarriesItsDate) {
    CLDataBuffer cn;
    cn.addString("cn");
    const auto notice = client()->request(EVENT_GETNOTICE, &cn);
    ASSERT_TRUE(notice);
    ASSERT_EQ(notice->count(), 3u);
    EXPECT_EQ(notice->intAt(0), 1);
    EXPECT_EQ(notice->fields->stringAt(1).value_or(""), "Tournament on Sunday");
    EXPECT_TRUE(std::regex_match(notice->fields->stringAt(2).value_or(""),
                                 std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}")));
}

class ClockTest : public ServerTest {
    std::vector<std::string> serverOptions() const override { return {"--move-seconds", "1"}; }
};

TEST_F(ClockTest, RunningOutOfTimeLosesAndNamesTheWinner) {
    Pair p = matchedPair("slowblack", "w");
    ASSERT_TRUE(p.black && p.white);
    for (TestClient* c : {p.black.get(), p.white.get()}) {
        const auto overtime = c->waitPush(EVENT_OVERTIME, 4000ms);
        ASSERT_TRUE(overtime);
        EXPECT_EQ(overtime->intAt(0), p.whiteId);
    }
    expectRefused(*p.black, 7, 7);
    EXPECT_EQ(scoreOf(*p.black, p.whiteId).wins, 1);

    // A move restarts the clock for the other player: now white runs out.
    Pair q = matchedPair("b2", "slowwhite");
    ASSERT_TRUE(q.black && q.white);
    play(*q.black, *q.white, 7, 7);
    const auto overtime = q.black->waitPush(EVENT_OVERTIME, 4000ms);
    ASSERT_TRUE(overtime);
    EXPECT_EQ(overtime->intAt(0), q.blackId);
    EXPECT_TRUE(q.white->waitPush(EVENT_OVERTIME, 1000ms));
}
