// Online play through the real server against a bot: the match room's queue and its way back,
// whole games to five and the new totals, the server going away and coming back, and a login
// elsewhere. The server's tests check its rules and scores, the scene tests the edge cases of
// each screen; these check that the two meet.

#include "E2EFixture.h"
#include "GBNetGame.h"

USING_NS_CC;
using namespace std::chrono_literals;

namespace {

class OnlineGameTest : public E2ETest {
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
    // The stone the client shows at an intersection.
    int32_t stoneAt(int x, int y) const { return game->getBoard()[cellIndex(x, y)]; }
    // A move of the client by touch, seen by the bot; a move of the bot, seen by the client.
    bool clientMoves(int x, int y) {
        h->touch(game->getBoardSprite()->convertToWorldSpace(GoBangGame::pointPosition(x, y)));
        const std::optional<Message> seen = botHears(*bot, EVENT_OPPCHESS);
        return seen && seen->intAt(0) == x && seen->intAt(1) == y &&
               until([&] { return stoneAt(x, y) == game->getColour(); });
    }
    bool botMoves(int x, int y) {
        const auto answer = bot->requestInts(EVENT_CHESS, {x, y});
        return answer && answer->intAt(0) == 1 &&
               until([&] { return stoneAt(x, y) == opponentOf(game->getColour()); });
    }
    // The client's score line (else the opponent's) comes to read `line`.
    bool showsLine(bool mine, const std::string& line) {
        const Vec2 at(20, mine ? 50 : h->director()->getWinSize().height - 50);
        return until([&] {
            ui::Text* shown =
                h->find<ui::Text>([&](ui::Text* t) { return t->getPosition() == at; });
            return shown && shown->getString() == line;
        });
    }
    // The match room's line about a lost connection.
    bool connectionLineShown() const { return h->findText(text("connectionlost")) != nullptr; }
    std::unique_ptr<TestClient> bot;
    int32_t botId = 0;
    GBNetGame* game = nullptr; // set by match
};

// The scene tests see Quit send the cancel and the server's tests see it leave the queue; the
// back button's logout must take the player out of the queue too.
TEST_F(OnlineGameTest, MatchRoomBackLogsOutEvenWhileWaitingAndLoggedInAgainTheBotsJoinMatches) {
    GBMatchScene* scene = reach<GBMatchScene>();
    ASSERT_NE(scene, nullptr);
    // Nothing of the game listens for the logout's answer: this test does.
    ASSERT_TRUE(tap("images/joinmatch.png"));
    ASSERT_TRUE(until([&] { return scene->isWaiting(); }));
    bool loggedOut = false;
    director->addListener("gb_event_logout", [&](const ResponseDataPack& pack) {
        loggedOut = pack.response && pack.response->intAt(0) == 1;
    });
    ASSERT_TRUE(tap("images/back.png"));
    ASSERT_NE(reach<GBLoginScene>(), nullptr);
    EXPECT_TRUE(until([&] { return loggedOut; }));
    director->removeListeners("gb_event_logout");
    const std::vector<ui::TextField*> form = fields();
    ASSERT_EQ(form.size(), 2u);
    EXPECT_EQ(form[0]->getString(), "jade");
    EXPECT_EQ(form[1]->getString(), "jade-secret");
    EXPECT_EQ(bot->request(EVENT_JOINMATCH)->intAt(0), 1);
    EXPECT_TRUE(bot->noPush(EVENT_MATCHRES, 0ms));

    // Logged in again, the client's join meets the waiting bot.
    ASSERT_TRUE(tap("images/login.png"));
    ASSERT_NE(reach<GBMatchScene>(), nullptr);
    ASSERT_TRUE(tap("images/joinmatch.png"));
    EXPECT_TRUE(botHears(*bot, EVENT_MATCHRES));
    EXPECT_NE(reach<GBNetGame>(), nullptr);
}

TEST_F(OnlineGameTest, WholeGamesToFiveAsBlackAndAsWhiteEndInTheResultAndTheNewTotals) {
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
        EXPECT_TRUE(until([&] { return screen::button(*h, picture, true) != nullptr; }));
        EXPECT_FALSE(game->isPlaying());
        if (games == 0) { // from 1500 each, 16 points go to the winner
            const std::string won = "1516 points, 1 won, 0 lost, 0 drawn",
                              lost = "1484 points, 0 won, 1 lost, 0 drawn";
            EXPECT_TRUE(showsLine(true, "jade: " + (black ? won : lost)));
            EXPECT_TRUE(showsLine(false, "kai: " + (black ? lost : won)));
        }
        ASSERT_TRUE(tap(picture));
        EXPECT_NE(reach<GBMatchScene>(), nullptr);
    }
    EXPECT_TRUE(played[0] && played[1]);
}

// The server killed and started again on its port and database, during a wait (and away for
// longer than any push is held) and in a game: the wait or the game ends here without a result,
// the match room shows why, Join says the server is away while it is, the client logs in again by
// itself, and one press of Join finds a match.
TEST_F(OnlineGameTest, AServerKilledAndBackFindsThePlayerLoggedInInTheMatchRoom) {
    for (const bool inGame : {false, true}) {
        SCOPED_TRACE(inGame ? "in a game" : "waiting");
        GBMatchScene* room = inGame ? nullptr : reach<GBMatchScene>();
        if (inGame) { // the match that ended the wait
            ASSERT_TRUE(game->getColour() == kBlack || botMoves(7, 7)); // the client to move
            ASSERT_TRUE(clientMoves(6, 6));
        } else {
            ASSERT_TRUE(room && tap("images/joinmatch.png"));
            ASSERT_TRUE(until([&] { return room->isWaiting(); }));
        }
        const unsigned short port = server.port();
        server.crash();
        if (inGame) {
            room = reach<GBMatchScene>(); // where the game ends
        }
        ASSERT_NE(room, nullptr);
        ASSERT_TRUE(until([&] { return !room->isWaiting() && connectionLineShown(); }));
        if (!inGame) {
            ASSERT_TRUE(tap("images/joinmatch.png"));
            const std::string neterror = text("neterror");
            EXPECT_TRUE(until([&] { return message() == neterror; })) << message();
            idle(6);
        }
        ASSERT_TRUE(restartServer(port)) << server.log();
        EXPECT_TRUE(until([&] { return !connectionLineShown(); }));
        EXPECT_EQ(director->userId, clientId);
        bot = std::make_unique<TestClient>(server.port());
        ASSERT_EQ(bot->login("kai", "kai-secret"), botId);
        EXPECT_EQ(reach<GBMatchScene>(), room);
        ASSERT_NE(match(), nullptr);
    }
}

// The same account logging in elsewhere ends this session and its game on the server, which
// says so: the player is sent to the login scene with the reason, and the client does not log
// in again by itself, which would take the account back.
TEST_F(OnlineGameTest, ALoginElsewhereSendsThePlayerToTheLoginSceneAndIsNotUndone) {
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

} // namespace
