// The match room with answers and pushes fed to the director: the blink while waiting, to the
// frame, and what the real server never sends.

#include "EventCodes.h"
#include "GBLoginScene.h"
#include "GBMatchScene.h"
#include "GBNetGame.h"
#include "SceneFixture.h"

USING_NS_CC;

namespace {

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

// A server back without the account refuses the login the director makes again on its own.
TEST_F(MatchTest, ALoginRefusedAgainSendsThePlayerToTheFormWithTheRefusal) {
    director.sendCredentials(EVENT_LOGIN, "mia", "pw");
    answerNow(0, EVENT_LOGIN, ints({1, 7}));
    connectionLost(director);
    answerNow(director.nextSequence() - 1, EVENT_LOGIN, ints({0}));
    ASSERT_NE(running<GBLoginScene>(), nullptr);
    EXPECT_EQ(message(), text("loginfailed"));
}

} // namespace
