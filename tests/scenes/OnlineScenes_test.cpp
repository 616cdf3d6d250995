// The login form, the match room and the networked game, with answers and pushes fed to the
// director: what the real server never sends or cannot be timed against (packs with missing
// fields, the blink to the frame, a match that is not ours, the outcome table, a draw).

#include "EventCodes.h"
#include "GBLoginScene.h"
#include "GBMatchScene.h"
#include "GBNetGame.h"
#include "HelloWorld.h"
#include "SceneFixture.h"

#include <tuple>

USING_NS_CC;

namespace {

TEST_F(SceneFixture, LoginAnswersWithoutAnIdAreRefusalsAndASuccessKeepsTheNameAsTyped) {
    show(GBLoginScene::create());
    ui::TextField* name = h.find<ui::TextField>();
    h.tap(name);
    h.type("  bob ");
    h.tap(h.find<ui::TextField>([&](ui::TextField* f) { return f != name; })); // the password
    h.type("pw");
    const CLDataBuffer refusals[] = {ints({1}), CLDataBuffer()};
    uint32_t seq = 0;
    for (const CLDataBuffer& refusal : refusals) {
        h.tap(button("images/login.png"));
        answerNow(seq++, EVENT_LOGIN, refusal);
        EXPECT_EQ(message(), text("loginfailed"));
        EXPECT_EQ(director.userId, -1);
    }
    EXPECT_EQ(UserDefault::getInstance()->getStringForKey("username"), "");

    ui::Text* line = messageLine(); // the scene slides away with its message showing
    h.tap(button("images/login.png"));
    answerNow(seq, EVENT_LOGIN, ints({1, 42}));
    EXPECT_EQ(line->getString(), text("loginsucceed"));
    EXPECT_EQ(director.userId, 42);
    EXPECT_EQ(UserDefault::getInstance()->getStringForKey("username"), "  bob "); // blanks too
    EXPECT_NE(running<GBMatchScene>(), nullptr);
}

class MatchTest : public SceneFixture {
protected:
    MatchTest() {
        director.userId = 7;
        match = show(GBMatchScene::create());
    }
    Sprite* waitPicture() {
        Texture2D* picture = h.director()->getTextureCache()->addImage("images/waitmatch.png");
        return h.find<Sprite>([&](Sprite* s) { return s->getTexture() == picture; });
    }
    GBMatchScene* match = nullptr;
};

TEST_F(MatchTest, JoiningWaitsWithABlinkThatStartsFromNothingEveryTime) {
    ui::Button* join = button("images/joinmatch.png");
    ui::Button* quit = button("images/quitmatch.png");
    Sprite* wait = waitPicture();
    ASSERT_TRUE(join && quit && wait);
    EXPECT_FALSE(EngineHarness::isShown(wait));

    uint32_t seq = 0;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "first join" : "after a cancel");
        h.tap(join);
        EXPECT_FALSE(match->isWaiting()); // nothing changes before the answer
        answer(seq++, EVENT_JOINMATCH, ints({1}));
        for (int frame = 0; frame < 6 && !match->isWaiting(); ++frame) {
            h.frame(); // the frame whose dispatch delivers the answer starts the blink
        }
        ASSERT_TRUE(match->isWaiting());
        EXPECT_FALSE(EngineHarness::isShown(join));
        EXPECT_TRUE(EngineHarness::isShown(quit));
        EXPECT_EQ(wait->getOpacity(), 0);
        h.advance(1.0f);
        EXPECT_EQ(wait->getOpacity(), 255);
        h.advance(1.0f);
        EXPECT_EQ(wait->getOpacity(), 0);

        h.tap(quit);
        answerNow(seq++, EVENT_CANCELMATCH, ints({1}));
        EXPECT_FALSE(match->isWaiting());
        EXPECT_FALSE(EngineHarness::isShown(wait));
        EXPECT_EQ(wait->getNumberOfRunningActions(), 0u);
    }
}

TEST_F(MatchTest, ASecondJoinAnswerRestartsTheBlinkRatherThanRunningItTwice) {
    Sprite* wait = waitPicture();
    h.tap(button("images/joinmatch.png"));
    h.tap(button("images/joinmatch.png"));
    answerNow(0, EVENT_JOINMATCH, ints({1}));
    h.advance(0.5f);
    answerNow(1, EVENT_JOINMATCH, ints({1}));
    EXPECT_EQ(wait->getNumberOfRunningActions(), 1u);
    h.advance(0.5f);
    EXPECT_GT(wait->getOpacity(), 64); // twice the speed would have faded it out again
    EXPECT_LT(wait->getOpacity(), 191);
}

TEST_F(MatchTest, RefusalsFailuresBadPacksAndMatchesNotOursChangeNothing) {
    struct Case {
        int32_t code;
        bool networkFails;
        CLDataBuffer fields;
        const char* shown;
    };
    const Case cases[] = {
        {EVENT_JOINMATCH, false, ints({0}), "handleerror"},
        {EVENT_JOINMATCH, false, CLDataBuffer(), "handleerror"},
        {EVENT_JOINMATCH, true, CLDataBuffer(), "neterror"},
        {EVENT_MATCHRES, false, ints({0, 7, 9}), "handleerror"},
        {EVENT_MATCHRES, false, ints({1, 7}), "handleerror"},
        {EVENT_MATCHRES, false, ints({1, 3, 4}), "handleerror"}, // neither id is ours
    };
    uint32_t seq = 0;
    for (const Case& c : cases) {
        uint32_t s = 0; // a push
        if (c.code == EVENT_JOINMATCH) {
            h.tap(button("images/joinmatch.png"));
            s = seq++;
        }
        if (c.networkFails) {
            handBack(director, CLNetworkModule::SEND_NOT_CONNECTED, s, c.code);
            h.advance(0.1f);
        } else {
            answerNow(s, c.code, c.fields);
        }
        EXPECT_EQ(message(), text(c.shown));
        EXPECT_FALSE(match->isWaiting());
        EXPECT_EQ(running<GBMatchScene>(), match);
    }
    // Still listening: the next match, which is ours, starts the game.
    push(EVENT_MATCHRES, ints({1, 9, 7})); // the opponent moves first: we play white
    auto* game = running<GBNetGame>();
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game->getColour(), kWhite);
}

// A layer that goes by a way that does not remove its listeners (here the scene is simply
// replaced) still takes them with it: nothing calls into a layer that is gone, and the next
// scene can register.
TEST_F(SceneFixture, ALayerThatGoesTakesItsListenersWithItWhateverWayItLeft) {
    director.userId = 7;
    const std::pair<std::function<Layer*()>, std::vector<const char*>> layers[] = {
        {[] { return HelloWorld::create(); }, {"gb_event_getnotice"}},
        {[] { return GBLoginScene::create(); }, {"gb_event_login"}},
        {[] { return GBMatchScene::create(); },
         {"gb_event_joinmatch", "gb_event_matchres", kConnectionEvent}},
        {[] { return GBNetGame::create(7, 9); },
         {"gb_event_chess", "gb_event_overtime", kConnectionEvent}},
    };
    for (const auto& [make, names] : layers) {
        show(make());
        show(Layer::create());
        h.frame(2); // the old scene is released at the end of the frame
        for (const char* name : names) {
            EXPECT_TRUE(director.addListener(name, [](const ResponseDataPack&) {})) << name;
            director.removeListeners(name);
        }
    }
}

TEST(NetGameResult, OutcomesFromEachSide) {
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

class NetGameTest : public SceneFixture {
protected:
    static constexpr int32_t kMe = 7, kThem = 9;
};

// The turn line follows the game; the clock's last ten seconds are red, and an overtime says
// who ran out; at the end the clock is cleared.
TEST_F(NetGameTest, TheTurnLineFollowsTheClockHurriesAndTheEndSaysWhoRanOutOfTime) {
    director.userId = kMe;
    GBNetGame* game = show(GBNetGame::create(kThem, kMe)); // we play white
    ui::Text* clock = h.find<ui::Text>([](ui::Text* t) { return t->getString() == "60"; });
    ASSERT_NE(clock, nullptr);
    EXPECT_EQ(game->getTurnLine(), "You play White - Opponent's turn");
    push(EVENT_OPPCHESS, ints({7, 7, 0, 0}));
    h.advance(0.1f);
    EXPECT_EQ(game->getTurnLine(), "You play White - your turn");
    for (const auto& [seconds, shown, colour] :
         {std::tuple{49.f, "11", Color3B::WHITE}, {1.f, "10", Color3B::RED}}) {
        h.advance(seconds);
        EXPECT_EQ(clock->getString(), shown);
        EXPECT_EQ(clock->getColor(), colour) << shown;
    }
    push(EVENT_OVERTIME, ints({kThem})); // the winner: we ran out
    h.advance(0.1f);
    EXPECT_NE(h.findText(text("overtime")), nullptr);
    EXPECT_NE(h.findText(text("overtimeyou")), nullptr);
    EXPECT_EQ(game->getTurnLine(), "You play White - you lost");
    EXPECT_EQ(clock->getString(), "");
}

TEST_F(NetGameTest, NobodyLoggedInOrNeitherIdOursMakesNoGame) {
    director.userId = -1;
    EXPECT_EQ(GBNetGame::create(-1, 3), nullptr);
    director.userId = kMe;
    EXPECT_EQ(GBNetGame::create(3, 4), nullptr);
}

TEST_F(NetGameTest, PushesAndAnswersThatDoNotBelongOrLackFieldsAreIgnoredAndADrawEnds) {
    // We play black, as the match push starts the game; its first two requests ask for both
    // score lines, our moves come after them.
    director.userId = kMe;
    GBNetGame* game = show(GBNetGame::create(kMe, kThem));
    board = game;
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
    answerNow(0, EVENT_GETUSERINFO, info(kMe, "alice", {1512, 3, 1, 0}));
    answerNow(1, EVENT_GETUSERINFO, info(kThem, "bob", {1490, 1, 3}));
    EXPECT_NE(h.findText("alice: 1512 points, 3 won, 1 lost, 0 drawn"), nullptr);
    EXPECT_EQ(h.find<ui::Text>([](ui::Text* t) { return t->getString().find("bob") == 0; }),
              nullptr);
}

} // namespace
