// The networked game with answers and pushes fed to the director, with what the real server
// never sends or cannot be timed against.

#include "EventCodes.h"
#include "GBMatchScene.h"
#include "GBNetGame.h"
#include "SceneFixture.h"

#include <tuple>

USING_NS_CC;

namespace {

TEST(GBNetGame, OutcomesFromEachSide) {
    struct Case {
        int32_t outcome, colour;
        int result;
    };
    const Case cases[] = {{0, kBlack, 1}, {0, kWhite, 2}, {1, kBlack, 2}, {1, kWhite, 1},
                          {2, kBlack, 0}, {2, kWhite, 0}, {3, kBlack, 2}, {-1, kWhite, 2}};
    for (const Case& c : cases) {
        EXPECT_EQ(GBNetGame::resultFor(c.outcome, c.colour), c.result) << c.outcome << c.colour;
    }
}

class GBNetGameTest : public SceneFixture {
protected:
    static constexpr int32_t kMe = 7, kThem = 9;
    GBNetGameTest() { director.userId = kMe; }
    // A new game, black moving first; the game before it goes first, with its listeners.
    GBNetGame* start(bool black) {
        show(Layer::create());
        h.frame(2);
        board = game = show(black ? GBNetGame::create(kMe, kThem) : GBNetGame::create(kThem, kMe));
        return game;
    }
    // The move clock: the only text over a side stone.
    ui::Text* clock() const {
        return h.find<ui::Text>([](ui::Text* t) { return t->getPosition().x == 50; });
    }
    GBNetGame* game = nullptr;
};

// The clock runs on the side of the player to move, from 60 again at each move, red in its last
// ten seconds; a touch out of turn sends nothing, since the server may already take it.
TEST_F(GBNetGameTest, TheTurnLineAndTheClockFollowTheSideToMove) {
    start(false);
    const Vec2 local(50, 150), opponent(50, 1019.52f - 150);
    ui::Text* clock = this->clock();
    ASSERT_NE(clock, nullptr);
    EXPECT_EQ(game->getTurnLine(), "You play White - Opponent's turn");
    EXPECT_EQ(clock->getPosition(), opponent);
    const uint32_t next = director.nextSequence(); // after the two score lines' requests
    h.touch(at(8, 8));
    EXPECT_EQ(director.nextSequence(), next);
    push(EVENT_OPPCHESS, ints({8, 8, 1, 7})); // over, with an outcome nobody knows: ignored
    push(EVENT_OPPCHESS, ints({7, 7, 0, 0}));
    h.advance(0.1f);
    EXPECT_EQ(cell(8, 8), kEmpty);
    EXPECT_EQ(game->getTurnLine(), "You play White - your turn");
    EXPECT_EQ(clock->getPosition(), local);
    for (const auto& [seconds, shown, colour] :
         {std::tuple{49.f, "11", Color3B::WHITE}, {1.f, "10", Color3B::RED}}) {
        h.advance(seconds);
        EXPECT_EQ(clock->getString(), shown);
        EXPECT_EQ(clock->getColor(), colour) << shown;
    }
    h.touch(at(8, 8));
    answerNow(next, EVENT_CHESS, ints({1, 0}));
    EXPECT_EQ(cell(8, 8), kWhite);
    EXPECT_EQ(game->getTurnLine(), "You play White - Opponent's turn");
    EXPECT_EQ(clock->getPosition(), opponent);
    EXPECT_EQ(clock->getString(), "60");
    EXPECT_EQ(clock->getColor(), Color3B::WHITE);
}

// Two quick touches both go out before the first answer: the server takes the first and refuses
// the second, and only the first stands.
TEST_F(GBNetGameTest, OfTwoQuickTouchesOnlyTheMoveTheServerTakesStands) {
    start(true);
    h.touch(at(0, 0));
    h.touch(at(1, 1));
    answer(2, EVENT_CHESS, ints({1, 0}));
    answerNow(3, EVENT_CHESS, ints({0, 0, 0}));
    EXPECT_EQ(cell(0, 0), kBlack);
    EXPECT_EQ(cell(1, 1), kEmpty);
    EXPECT_FALSE(game->isMyTurn());
}

// The ends the server pushes: a player out of time (the push names the winner) and the opponent
// leaving. Each shows its result picture and says how the game ended; the clock is cleared.
TEST_F(GBNetGameTest, EachPushedEndSaysHowTheGameEndedAndClearsTheClock) {
    const struct {
        bool black; // the overtime comes for the player to move
        int32_t code, named;
        const char *picture, *notice, *who, *turnLine;
    } ends[] = {
        {true, EVENT_OVERTIME, kThem, "images/gameover2.png", "overtime", "overtimeyou",
         "You play Black - you lost"},
        {false, EVENT_OVERTIME, kMe, "images/gameover1.png", "overtime", "overtimeopponent",
         "You play White - you won"},
        {true, EVENT_OPPQUIT, kThem, "images/gameover1.png", "leave", nullptr,
         "You play Black - you won"},
    };
    for (const auto& end : ends) {
        SCOPED_TRACE(end.who ? end.who : end.notice);
        start(end.black);
        push(end.code, ints({end.named}));
        h.advance(0.1f);
        EXPECT_NE(button(end.picture), nullptr);
        for (const char* key : {end.notice, end.who}) {
            EXPECT_TRUE(!key || h.findText(text(key))) << key;
        }
        EXPECT_EQ(game->getTurnLine(), end.turnLine);
        EXPECT_EQ(clock()->getString(), "");
    }
}

TEST_F(GBNetGameTest, EscapeLeavesARunningGameOnlyAfterAskingTheBackButtonAtOnceWithAQuit) {
    start(true);
    for (const auto answer :
         {EventKeyboard::KeyCode::KEY_ESCAPE, EventKeyboard::KeyCode::KEY_ENTER}) {
        h.key(EventKeyboard::KeyCode::KEY_ESCAPE);
        ASSERT_TRUE(game->isAskingToLeave());
        EXPECT_NE(h.findText(text("leavequestion")), nullptr);
        h.touch(at(7, 7)); // the board takes no touch while the question is up
        EXPECT_EQ(cell(7, 7), kEmpty);
        h.key(answer);
        if (answer == EventKeyboard::KeyCode::KEY_ESCAPE) {
            EXPECT_FALSE(game->isAskingToLeave());
            EXPECT_TRUE(game->isPlaying());
        }
    }
    EXPECT_NE(running<GBMatchScene>(), nullptr); // Enter left, with a quit sent

    start(true);
    push(EVENT_OPPQUIT, ints({kThem})); // over: leaving costs nothing now
    h.advance(0.1f);
    h.key(EventKeyboard::KeyCode::KEY_ESCAPE);
    EXPECT_FALSE(game->isAskingToLeave());
    EXPECT_NE(running<GBMatchScene>(), nullptr);

    // The back button leaves a running game at once; the quit's answer finds the quit sent.
    start(true);
    h.tap(button("images/selectback.png"));
    bool quitSent = false;
    director.addListener("gb_event_quitchess", [&](const ResponseDataPack&) { quitSent = true; });
    answerNow(director.nextSequence() - 1, EVENT_QUITCHESS, ints({1}));
    EXPECT_TRUE(quitSent);
    EXPECT_NE(running<GBMatchScene>(), nullptr);
}

TEST_F(GBNetGameTest, PushesAndAnswersThatDoNotBelongOrLackFieldsAreIgnoredAndADrawEnds) {
    EXPECT_EQ(GBNetGame::create(3, 4), nullptr); // neither id ours
    director.userId = -1;                        // nobody logged in
    EXPECT_EQ(GBNetGame::create(-1, 3), nullptr);
    director.userId = kMe;
    // We play black, as the match push starts the game; its first two requests ask for both
    // score lines, our moves come after them.
    start(true);
    const std::pair<int32_t, CLDataBuffer> strays[] = {
        {EVENT_OPPQUIT, ints({kMe})},          // our own quit
        {EVENT_OVERTIME, ints({3})},           // a stranger's time
        {EVENT_OPPCHESS, ints({4})},           // a move cut short
        {EVENT_OPPCHESS, ints({8, 8, 0, 0})}}; // their move while it is ours
    for (const auto& [code, fields] : strays) {
        push(code, fields);
    }
    h.advance(0.1f);
    h.touch(at(7, 7));
    answerNow(2, EVENT_CHESS, ints({1, 1})); // the game over without its outcome
    h.touch(at(7, 7));
    answerNow(3, EVENT_CHESS, ints({1, 1, 7})); // with an outcome nobody knows
    EXPECT_TRUE(game->isPlaying());
    EXPECT_EQ(cell(8, 8), kEmpty);
    EXPECT_EQ(cell(7, 7), kEmpty);
    EXPECT_EQ(h.findText(text("overtime")), nullptr); // not about this game: nothing shows
    h.touch(at(7, 7));
    answerNow(4, EVENT_CHESS, ints({1, 1, 2})); // a draw, in full this time
    EXPECT_FALSE(game->isPlaying());
    EXPECT_NE(button("images/gameover0.png"), nullptr);

    // A user-info answer one field short leaves its score line empty.
    const auto info = [](int32_t id, const char* name, std::initializer_list<int32_t> rest) {
        CLDataBuffer f = ints({id});
        f.addString(name);
        for (int32_t v : rest) {
            f.addInt(v);
        }
        return f;
    };
    // A name of megabytes is cut to the server's longest, between two characters.
    std::string name = "x", cut = "x";
    for (int i = 0; i < (1 << 20); ++i) {
        name += "\xC3\xA9";
        cut += i < 15 ? "\xC3\xA9" : "";
    }
    answerNow(0, EVENT_GETUSERINFO, info(kMe, name.c_str(), {1512, 3, 1, 0}));
    answerNow(1, EVENT_GETUSERINFO, info(kThem, "bob", {1490, 1, 3}));
    EXPECT_NE(h.findText(cut + ": 1512 points, 3 won, 1 lost, 0 drawn"), nullptr);
    EXPECT_EQ(h.find<ui::Text>([](ui::Text* t) { return t->getString().find("bob") == 0; }),
              nullptr);
}

} // namespace
