// Networked games against a bot through the real server: whole games to five, moves the server
// refuses or the client must not send, the move clock and its overtime, and every way a player
// leaves.

#include "E2EFixture.h"
#include "GBMatchScene.h"
#include "GBNetGame.h"

USING_NS_CC;

namespace {

// A score line as the game shows it, from the server's user-info answer and the words of
// text.xml.
std::string scoreLine(const Message& info) {
    return info.fields->stringAt(1).value_or("?") + ": " + std::to_string(info.intAt(2)) +
           " points, " + std::to_string(info.intAt(3)) + " won, " + std::to_string(info.intAt(4)) +
           " lost, " + std::to_string(info.intAt(5)) + " drawn";
}

class NetGameTest : public E2ETest {
protected:
    void SetUp() override {
        E2ETest::SetUp();
        ASSERT_NE(enter("jade"), nullptr);
        bot = newBot("kai", botId);
    }
    Message infoOf(int32_t id) {
        const auto info = bot->requestInts(EVENT_GETUSERINFO, {id});
        EXPECT_TRUE(info && info->count() == 6u);
        return info.value_or(Message{});
    }
    // The opening move when the bot plays black: afterwards the client is to move.
    bool botOpensIfBlack(GBNetGame* game) {
        return game->getColour() == kBlack || botMoves(game, *bot, 7, 7);
    }

    std::unique_ptr<TestClient> bot;
    int32_t botId = 0;
};

TEST_F(NetGameTest, WholeGamesToFiveAsBlackAndAsWhiteEndInTheResultAndTheNewTotals) {
    struct Case {
        int32_t colour;
        const char* picture;
    };
    // Black makes five along row 7 while white plays row 9: the client wins as black and loses
    // as white.
    for (const Case& c : {Case{kBlack, "images/gameover1.png"}, {kWhite, "images/gameover2.png"}}) {
        SCOPED_TRACE(c.colour);
        GBNetGame* game = matchAs(c.colour, *bot);
        ASSERT_NE(game, nullptr);
        const Message mine = infoOf(clientId);
        const Message theirs = infoOf(botId);
        EXPECT_TRUE(until([&] { return myLine() == scoreLine(mine); })) << myLine();
        EXPECT_TRUE(until([&] { return oppLine() == scoreLine(theirs); })) << oppLine();

        for (int i = 0; i < 9; ++i) {
            const int32_t mover = i % 2 == 0 ? kBlack : kWhite;
            const int x = 3 + i / 2;
            const int y = mover == kBlack ? 7 : 9;
            ASSERT_TRUE(mover == c.colour ? clientMoves(game, *bot, x, y)
                                          : botMoves(game, *bot, x, y))
                << "move " << i;
        }
        EXPECT_TRUE(until([&] { return resultPicture() == c.picture; })) << resultPicture();
        EXPECT_FALSE(game->isPlaying());

        const Message mineAfter = infoOf(clientId);
        const Message theirsAfter = infoOf(botId);
        const bool won = c.colour == kBlack;
        EXPECT_EQ(mineAfter.intAt(3), mine.intAt(3) + (won ? 1 : 0));
        EXPECT_EQ(mineAfter.intAt(4), mine.intAt(4) + (won ? 0 : 1));
        EXPECT_EQ(theirsAfter.intAt(3), theirs.intAt(3) + (won ? 0 : 1));
        EXPECT_EQ(theirsAfter.intAt(4), theirs.intAt(4) + (won ? 1 : 0));
        EXPECT_EQ(mineAfter.intAt(2) > mine.intAt(2), won);
        EXPECT_EQ(theirsAfter.intAt(2) > theirs.intAt(2), !won);
        EXPECT_TRUE(until([&] { return myLine() == scoreLine(mineAfter); })) << myLine();
        EXPECT_TRUE(until([&] { return oppLine() == scoreLine(theirsAfter); })) << oppLine();

        ASSERT_TRUE(tap(c.picture));
        GBMatchScene* scene = reach<GBMatchScene>();
        ASSERT_NE(scene, nullptr);
        EXPECT_FALSE(scene->isWaiting());
        EXPECT_NE(button("images/joinmatch.png"), nullptr);
    }
}

TEST_F(NetGameTest, OnlyTheAcceptedOfTwoQuickTouchesPlacesAStone) {
    GBNetGame* game = match(*bot);
    ASSERT_NE(game, nullptr);
    ASSERT_TRUE(botOpensIfBlack(game));
    touchPoint(game, 0, 0);
    touchPoint(game, 1, 1);
    ASSERT_TRUE(clientMoveSeen(game, *bot, 0, 0));
    ASSERT_TRUE(settle()); // the second move's refusal
    EXPECT_EQ(stoneAt(game, 1, 1), kEmpty);
    EXPECT_FALSE(game->isMyTurn());
    EXPECT_EQ(clock()->getPosition(), Vec2(50, h->director()->getWinSize().height - 150));
}

TEST_F(NetGameTest, AMoveRefusedOnTheClientsTurnChangesNothing) {
    GBNetGame* game = match(*bot);
    ASSERT_NE(game, nullptr);
    ASSERT_TRUE(botOpensIfBlack(game));
    const size_t stones = game->getStones().size();
    // The same account logging in elsewhere ends this session and its game on the server,
    // which the client is not told of: its next move is refused.
    TestClient twin(server.port());
    ASSERT_EQ(twin.login("jade", "jade-secret"), clientId);
    ASSERT_TRUE(bot->waitPush(EVENT_OPPQUIT));
    touchPoint(game, 5, 5);
    ASSERT_TRUE(settle());
    EXPECT_EQ(stoneAt(game, 5, 5), kEmpty);
    EXPECT_EQ(game->getStones().size(), stones);
    EXPECT_TRUE(game->isMyTurn());
    EXPECT_EQ(clock()->getPosition(), Vec2(50, 150));
}

TEST_F(NetGameTest, ATouchWhileTheOpponentIsToMoveSendsNothing) {
    GBNetGame* game = match(*bot);
    ASSERT_NE(game, nullptr);
    if (game->getColour() == kBlack) {
        ASSERT_TRUE(clientMoves(game, *bot, 0, 0));
    }
    // The server has taken the bot's move, so a stray move of the client's would now be
    // accepted; the client has not seen that move yet and must send nothing.
    ASSERT_EQ(bot->requestInts(EVENT_CHESS, {1, 1})->intAt(0), 1);
    touchPoint(game, 13, 13);
    ASSERT_TRUE(until([&] { return stoneAt(game, 1, 1) == opponentOf(game->getColour()); }));
    EXPECT_EQ(stoneAt(game, 13, 13), kEmpty);
    // The bot's next move push is the client's next real move, nothing before it.
    EXPECT_TRUE(clientMoves(game, *bot, 2, 2));
}

TEST_F(NetGameTest, TheClockStandsOnTheSideToMoveAndCountsDown) {
    GBNetGame* game = match(*bot);
    ASSERT_NE(game, nullptr);
    const float height = h->director()->getWinSize().height;
    const Vec2 local(50, 150);
    const Vec2 opponent(50, height - 150);
    const bool black = game->getColour() == kBlack;
    ui::Text* clockText = clock();
    ASSERT_NE(clockText, nullptr);
    EXPECT_EQ(clockText->getPosition(), black ? local : opponent);
    EXPECT_EQ(clockText->getString(), "60");
    EXPECT_TRUE(until([&] { return clockText->getString() == "58"; }));
    EXPECT_EQ(clockText->getPosition(), black ? local : opponent);

    ASSERT_TRUE(black ? clientMoves(game, *bot, 7, 7) : botMoves(game, *bot, 7, 7));
    EXPECT_EQ(clockText->getPosition(), black ? opponent : local);
    EXPECT_EQ(clockText->getString(), "60");
    EXPECT_TRUE(until([&] { return clockText->getString() == "59"; }));
}

TEST_F(NetGameTest, WhenTheOpponentQuitsOrDropsTheClientWinsWithTheLeaveNotice) {
    for (const bool drops : {false, true}) {
        SCOPED_TRACE(drops ? "drops" : "quits");
        GBNetGame* game = match(*bot);
        ASSERT_NE(game, nullptr);
        const Message before = infoOf(clientId);
        if (drops) {
            bot->disconnect();
        } else {
            bot->request(EVENT_QUITCHESS);
        }
        EXPECT_TRUE(until([&] { return resultPicture() == "images/gameover1.png"; }));
        EXPECT_NE(h->findText(text("leave")), nullptr);
        const std::string wins = " " + std::to_string(before.intAt(3) + 1) + " won,";
        EXPECT_TRUE(until([&] { return myLine().find(wins) != std::string::npos; })) << myLine();
        ASSERT_TRUE(tap("images/gameover1.png"));
        ASSERT_NE(reach<GBMatchScene>(), nullptr);
    }
}

TEST_F(NetGameTest, LeavingMidGameSendsTheQuitAndTheOpponentWins) {
    GBNetGame* game = match(*bot);
    ASSERT_NE(game, nullptr);
    ASSERT_TRUE(botOpensIfBlack(game));
    ASSERT_TRUE(clientMoves(game, *bot, 6, 6));
    ASSERT_TRUE(tap("images/selectback.png"));
    const std::optional<Message> quit = botHears(*bot, EVENT_OPPQUIT);
    ASSERT_TRUE(quit);
    EXPECT_EQ(quit->intAt(0), clientId);
    EXPECT_EQ(infoOf(botId).intAt(3), 1);
    EXPECT_EQ(infoOf(clientId).intAt(4), 1);
    GBMatchScene* scene = reach<GBMatchScene>();
    ASSERT_NE(scene, nullptr);
    EXPECT_FALSE(scene->isWaiting());
}

TEST_F(NetGameTest, AQuitCrossingTheClientsLeavingDoesNotEndItsNextGame) {
    ASSERT_NE(match(*bot), nullptr);
    // The bot's quit is answered, so its push is on its way, when the client leaves: nobody
    // listens for it then.
    ASSERT_TRUE(bot->request(EVENT_QUITCHESS));
    ASSERT_TRUE(tap("images/selectback.png"));
    ASSERT_NE(reach<GBMatchScene>(), nullptr);
    GBNetGame* next = match(*bot);
    ASSERT_NE(next, nullptr);
    ASSERT_TRUE(settle());
    EXPECT_TRUE(next->isPlaying());
    EXPECT_EQ(resultPicture(), "");
}

// The server's clock for each move, short enough to run out within the test.
class OvertimeTest : public NetGameTest {
protected:
    std::vector<std::string> serverOptions() const override { return {"--move-seconds", "2"}; }
};

TEST_F(OvertimeTest, TheOvertimePushEndsTheGameForWhoeverRanOutOfTime) {
    for (const bool clientLate : {true, false}) {
        SCOPED_TRACE(clientLate ? "the client runs out" : "the bot runs out");
        GBNetGame* game = match(*bot);
        ASSERT_NE(game, nullptr);
        // Bring the late one to move: black moves first.
        const bool black = game->getColour() == kBlack;
        if (clientLate && !black) {
            ASSERT_TRUE(botMoves(game, *bot, 7, 7));
        } else if (!clientLate && black) {
            ASSERT_TRUE(clientMoves(game, *bot, 7, 7));
        }
        const char* picture = clientLate ? "images/gameover2.png" : "images/gameover1.png";
        EXPECT_TRUE(until([&] { return resultPicture() == picture; }, 6000, 6)) << resultPicture();
        EXPECT_NE(h->findText(text("overtime")), nullptr);
        // The bot hears it too, naming the winner.
        const auto pushed = botHears(*bot, EVENT_OVERTIME);
        ASSERT_TRUE(pushed);
        EXPECT_EQ(pushed->intAt(0), clientLate ? botId : clientId);
        ASSERT_TRUE(tap(picture));
        ASSERT_NE(reach<GBMatchScene>(), nullptr);
    }
}

} // namespace
