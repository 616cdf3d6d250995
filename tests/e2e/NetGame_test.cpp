// Networked games against a bot through the real server: whole games to five, moves the server
// refuses or the client must not send, the move clock and its overtime, and the ways a player
// leaves. The server's tests check its scores; these check what the client makes of them.

#include "E2EFixture.h"
#include "GBNetGame.h"

USING_NS_CC;
using namespace std::chrono_literals;

namespace {

class NetGameTest : public E2ETest {
protected:
    void SetUp() override {
        E2ETest::SetUp();
        ASSERT_NE(enter("jade"), nullptr);
        bot = std::make_unique<TestClient>(server.port());
        botId = bot->enter("kai");
        ASSERT_GT(botId, 0);
    }
    // The client joins from the match scene, the bot joins, and the game scene is up.
    GBNetGame* match() {
        GBMatchScene* scene = reach<GBMatchScene>();
        if (!scene || !tap("images/joinmatch.png") || !until([&] { return scene->isWaiting(); })) {
            ADD_FAILURE() << "the client is not waiting for a match";
            return game = nullptr;
        }
        EXPECT_EQ(bot->request(EVENT_JOINMATCH).value_or(Message{}).intAt(0), 1);
        EXPECT_TRUE(botHears(*bot, EVENT_MATCHRES));
        return game = reach<GBNetGame>();
    }
    // The board: a touch on an intersection, and the stone the client shows there.
    void touchPoint(int x, int y) {
        h->touch(game->getBoardSprite()->convertToWorldSpace(GoBangGame::pointPosition(x, y)));
    }
    int32_t stoneAt(int x, int y) const { return game->getBoard()[cellIndex(x, y)]; }
    // A move of the client by touch, seen by the bot; a move of the bot, seen by the client.
    bool clientMoves(int x, int y) {
        touchPoint(x, y);
        return clientMoveSeen(x, y);
    }
    bool botMoves(int x, int y) {
        const auto answer = bot->requestInts(EVENT_CHESS, {x, y});
        return answer && answer->intAt(0) == 1 &&
               until([&] { return stoneAt(x, y) == opponentOf(game->getColour()); });
    }
    // The bot's next move push is (x, y), and the client shows its own stone there.
    bool clientMoveSeen(int x, int y) {
        const std::optional<Message> seen = botHears(*bot, EVENT_OPPCHESS);
        return seen && seen->intAt(0) == x && seen->intAt(1) == y &&
               until([&] { return stoneAt(x, y) == game->getColour(); });
    }
    // The opening move when the bot plays black: afterwards the client is to move.
    bool botOpensIfBlack() { return game->getColour() == kBlack || botMoves(7, 7); }
    // The client's score line (else the opponent's) comes to read as the server has `id`.
    bool showsLineOf(bool mine, int32_t id) {
        const Message info = bot->requestInts(EVENT_GETUSERINFO, {id}).value_or(Message{});
        const std::string line =
            info.fields->stringAt(1).value_or("?") + ": " + std::to_string(info.intAt(2)) +
            " points, " + std::to_string(info.intAt(3)) + " won, " + std::to_string(info.intAt(4)) +
            " lost, " + std::to_string(info.intAt(5)) + " drawn";
        const Vec2 at(20, mine ? 50 : h->director()->getWinSize().height - 50);
        return until([&] {
            ui::Text* shown =
                h->find<ui::Text>([&](ui::Text* t) { return t->getPosition() == at; });
            return shown && shown->getString() == line;
        });
    }
    // The match room's line about a lost connection.
    bool connectionLineShown() const { return h->findText(text("connectionlost")) != nullptr; }
    // The move clock, the only text over a side stone, at x = 50.
    ui::Text* clock() const {
        return h->find<ui::Text>([](ui::Text* t) { return t->getPosition().x == 50; });
    }

    std::unique_ptr<TestClient> bot;
    int32_t botId = 0;
    GBNetGame* game = nullptr; // set by match
};

TEST_F(NetGameTest, WholeGamesToFiveAsBlackAndAsWhiteEndInTheResultAndTheNewTotals) {
    // Black makes five along row 7 while white plays row 9: the client wins as black and loses
    // as white. The server draws the colours, so games go on until the client has had both.
    bool played[2] = {false, false};
    for (int games = 0; games < 16 && !(played[0] && played[1]); ++games) {
        ASSERT_NE(match(), nullptr);
        const bool black = game->getColour() == kBlack;
        played[black] = true;
        SCOPED_TRACE(black ? "as black" : "as white");
        for (int i = 0; i < 9; ++i) {
            const int x = 3 + i / 2, y = i % 2 == 0 ? 7 : 9;
            ASSERT_TRUE((i % 2 == 0) == black ? clientMoves(x, y) : botMoves(x, y)) << i;
        }
        const std::string picture = black ? "images/gameover1.png" : "images/gameover2.png";
        EXPECT_TRUE(until([&] { return button(picture) != nullptr; }));
        EXPECT_FALSE(game->isPlaying());
        EXPECT_TRUE(showsLineOf(true, clientId));
        EXPECT_TRUE(showsLineOf(false, botId));
        ASSERT_TRUE(tap(picture));
        EXPECT_NE(reach<GBMatchScene>(), nullptr);
    }
    EXPECT_TRUE(played[0] && played[1]);
}

TEST_F(NetGameTest, MovesTheServerRefusesChangeNothing) {
    ASSERT_NE(match(), nullptr);
    ASSERT_TRUE(botOpensIfBlack());
    // Two quick touches, both sent before the first answer: only the accepted one stands.
    touchPoint(0, 0);
    touchPoint(1, 1);
    ASSERT_TRUE(clientMoveSeen(0, 0));
    ASSERT_TRUE(settle());
    EXPECT_EQ(stoneAt(1, 1), kEmpty);
    EXPECT_FALSE(game->isMyTurn());
}

// The server killed in the middle of a game and started again on its port and database: the game
// ends here without a result, the match room shows why, the client logs in again by itself, and
// one press of Join finds a match.
TEST_F(NetGameTest, AServerKilledInAGameAndBackFindsThePlayerLoggedInInTheMatchRoom) {
    ASSERT_NE(match(), nullptr);
    ASSERT_TRUE(botOpensIfBlack());
    ASSERT_TRUE(clientMoves(6, 6));
    const unsigned short port = server.port();
    server.crash();
    ASSERT_NE(reach<GBMatchScene>(), nullptr);
    EXPECT_TRUE(connectionLineShown());
    ASSERT_TRUE(restartServer(port)) << server.log();
    EXPECT_TRUE(until([&] { return !connectionLineShown(); }));
    EXPECT_EQ(director->userId, clientId);
    bot = std::make_unique<TestClient>(server.port());
    ASSERT_EQ(bot->login("kai", "kai-secret"), botId);
    EXPECT_NE(match(), nullptr);
}

// A wait cut off by an outage of seconds (longer than any push is held) ends at once; Join says
// the server is away while it is; after its return one press finds a match.
TEST_F(NetGameTest, AWaitCutOffByAnOutageEndsAndAfterTheReturnOneJoinFindsAMatch) {
    GBMatchScene* room = reach<GBMatchScene>();
    ASSERT_TRUE(room && tap("images/joinmatch.png"));
    ASSERT_TRUE(until([&] { return room->isWaiting(); }));
    const unsigned short port = server.port();
    server.crash();
    ASSERT_TRUE(until([&] { return !room->isWaiting() && connectionLineShown(); }));
    ASSERT_TRUE(tap("images/joinmatch.png"));
    const std::string neterror = text("neterror");
    EXPECT_TRUE(until([&] { return message() == neterror; })) << message();
    idle(6);
    ASSERT_TRUE(restartServer(port)) << server.log();
    EXPECT_TRUE(until([&] { return !connectionLineShown(); }));
    bot = std::make_unique<TestClient>(server.port());
    ASSERT_EQ(bot->login("kai", "kai-secret"), botId);
    EXPECT_EQ(reach<GBMatchScene>(), room);
    EXPECT_NE(match(), nullptr);
}

// The same account logging in elsewhere ends this session and its game on the server, which
// says so: the player is sent to the login scene with the reason, and the client does not log
// in again by itself, which would take the account back.
TEST_F(NetGameTest, ALoginElsewhereSendsThePlayerToTheLoginSceneAndIsNotUndone) {
    ASSERT_NE(match(), nullptr);
    TestClient elsewhere(server.port());
    ASSERT_EQ(elsewhere.login("jade", "jade-secret"), clientId);
    EXPECT_TRUE(bot->waitPush(EVENT_OPPQUIT));
    ASSERT_NE(reach<GBLoginScene>(), nullptr);
    EXPECT_EQ(message(), text("elsewhere"));
    EXPECT_FALSE(director->logsInAgain());
    idle(2); // past the network thread's next connect
    EXPECT_EQ(elsewhere.request(EVENT_JOINMATCH).value_or(Message{}).intAt(0), 1);
    EXPECT_FALSE(elsewhere.closedByServer(0ms));
}

TEST_F(NetGameTest, TheClockFollowsTheSideToMoveAndATouchOutOfTurnSendsNothing) {
    ASSERT_NE(match(), nullptr);
    const Vec2 local(50, 150), opponent(50, h->director()->getWinSize().height - 150);
    const bool black = game->getColour() == kBlack;
    ui::Text* clockText = clock();
    ASSERT_NE(clockText, nullptr);
    EXPECT_EQ(clockText->getPosition(), black ? local : opponent);
    EXPECT_EQ(clockText->getString(), "60");
    EXPECT_TRUE(until([&] { return clockText->getString() == "58"; }));
    if (black) {
        ASSERT_TRUE(clientMoves(0, 0));
        EXPECT_EQ(clockText->getPosition(), opponent);
        EXPECT_EQ(clockText->getString(), "60");
    }
    // The server has taken the bot's move, so a stray move of the client's would now be
    // accepted; the client has not seen that move yet and must send nothing.
    ASSERT_EQ(bot->requestInts(EVENT_CHESS, {1, 1})->intAt(0), 1);
    touchPoint(13, 13);
    ASSERT_TRUE(until([&] { return stoneAt(1, 1) == opponentOf(game->getColour()); }));
    EXPECT_EQ(stoneAt(13, 13), kEmpty);
    EXPECT_EQ(clockText->getPosition(), local);
    EXPECT_EQ(clockText->getString(), "60");
    EXPECT_TRUE(until([&] { return clockText->getString() == "59"; }));
    // The bot's next move push is the client's next real move, nothing before it.
    EXPECT_TRUE(clientMoves(2, 2));
}

// A dropped connection brings the client the same push as a quit.
TEST_F(NetGameTest, WhenTheOpponentQuitsOrDropsTheClientWinsWithTheLeaveNotice) {
    ASSERT_NE(match(), nullptr);
    bot->request(EVENT_QUITCHESS);
    EXPECT_TRUE(until([&] { return button("images/gameover1.png") != nullptr; }));
    EXPECT_NE(h->findText(text("leave")), nullptr);
    EXPECT_TRUE(showsLineOf(true, clientId));
}

TEST_F(NetGameTest, LeavingSendsTheQuitTheOpponentWinsAndACrossingQuitEndsNoLaterGame) {
    // The bot's quit is answered, so its push is on its way, when the client leaves: nobody
    // listens for it then, and the next game must not take it for its own.
    ASSERT_NE(match(), nullptr);
    ASSERT_TRUE(bot->request(EVENT_QUITCHESS));
    ASSERT_TRUE(tap("images/selectback.png"));
    ASSERT_NE(reach<GBMatchScene>(), nullptr);

    ASSERT_NE(match(), nullptr);
    ASSERT_TRUE(botOpensIfBlack());
    ASSERT_TRUE(clientMoves(6, 6));
    ASSERT_TRUE(tap("images/selectback.png"));
    EXPECT_EQ(botHears(*bot, EVENT_OPPQUIT).value_or(Message{}).intAt(0), clientId);
    EXPECT_NE(reach<GBMatchScene>(), nullptr);
}

// The server's clock for each move, short enough to run out within the test.
class OvertimeTest : public NetGameTest {
protected:
    std::vector<std::string> serverOptions() const override { return {"--move-seconds", "2"}; }
};

TEST_F(OvertimeTest, TheOvertimePushEndsTheGameForWhoeverRanOutOfTime) {
    for (const bool clientLate : {true, false}) {
        SCOPED_TRACE(clientLate ? "the client runs out" : "the bot runs out");
        ASSERT_NE(match(), nullptr);
        // Bring the late one to move: black moves first.
        const bool black = game->getColour() == kBlack;
        if (clientLate && !black) {
            ASSERT_TRUE(botMoves(7, 7));
        } else if (!clientLate && black) {
            ASSERT_TRUE(clientMoves(7, 7));
        }
        const char* picture = clientLate ? "images/gameover2.png" : "images/gameover1.png";
        EXPECT_TRUE(until([&] { return button(picture) != nullptr; }, 6000, 6));
        EXPECT_NE(h->findText(text("overtime")), nullptr);
        ASSERT_TRUE(tap(picture));
    }
}

} // namespace
