#include "harness/EngineHarness.h"

#include <gtest/gtest.h>

USING_NS_CC;

namespace {
struct ActionFixture : ::testing::Test {
    EngineHarness h{Size(200, 200)};
    Node* node = nullptr;
    void SetUp() override {
        auto* scene = Scene::create();
        node = Node::create();
        scene->addChild(node);
        h.runScene(scene);
    }
    static Action* blink() {
        return RepeatForever::create(
            Sequence::create(FadeIn::create(1.0f), FadeOut::create(1.0f), nullptr));
    }
};
} // namespace

TEST_F(ActionFixture, MovesAndFadesGoLinearlyFromTheCurrentValueAndEndOnTheTarget) {
    node->setPosition(Vec2(10, 20));
    node->setOpacity(200);
    node->runAction(MoveTo::create(1.0f, Vec2(110, 220)));
    node->runAction(FadeOut::create(2.0f));
    h.advance(0.25f);
    EXPECT_NEAR(node->getPosition().x, 35, 1e-3);
    EXPECT_NEAR(node->getPosition().y, 70, 1e-3);
    h.advance(0.75f);
    EXPECT_EQ(node->getPosition(), Vec2(110, 220));
    EXPECT_NEAR(node->getOpacity(), 100, 1);
    h.advance(1.0f);
    EXPECT_EQ(node->getOpacity(), 0);
    EXPECT_EQ(node->getNumberOfRunningActions(), 0u);
}

// The match scene's blink: it may run for minutes while a player waits, and each wait runs the
// same retained action again.
TEST_F(ActionFixture, ABlinkRepeatsEveryTwoSecondsAndARetainedOneRunAgainStartsOver) {
    Action* again = blink();
    again->retain();
    node->setOpacity(0);
    node->runAction(again);
    const float at[] = {0.5f, 1.0f, 1.5f, 2.0f, 3.0f, 4.0f, 101.0f, 101.5f};
    const int expected[] = {127, 255, 127, 0, 255, 0, 255, 127};
    float now = 0;
    for (int i = 0; i < 8; ++i) {
        h.advance(at[i] - now);
        now = at[i];
        EXPECT_NEAR(node->getOpacity(), expected[i], 1) << "at " << now << " s";
    }
    node->stopAllActions();
    h.advance(1.0f);
    EXPECT_NEAR(node->getOpacity(), 127, 1);
    node->setOpacity(0);
    node->runAction(again);
    node->runAction(again); // twice in a row: still one blink, not two at once
    EXPECT_EQ(node->getNumberOfRunningActions(), 1u);
    h.advance(0.5f);
    EXPECT_NEAR(node->getOpacity(), 127, 1);
    h.advance(0.5f);
    EXPECT_EQ(node->getOpacity(), 255);
    node->stopAction(again);
    again->release();
}

// A blink started from a scheduled callback (every network listener is called from one) or
// from a touch (delivered between frames): either way it counts from the frame after the one
// it started in, so it reaches full opacity exactly one second (60 frames) after its start.
TEST_F(ActionFixture, AnActionStartsCountingInTheFrameAfterItsStart) {
    auto start = [this] {
        node->setOpacity(0);
        node->runAction(blink());
    };
    auto* listener = EventListenerTouchOneByOne::create();
    listener->onTouchBegan = [&](Touch*, Event*) {
        start();
        return true;
    };
    h.director()->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, node);
    struct Case {
        bool scheduled;             // else a touch
        int opacityAfterFirstFrame; // of the frame the callback ran in, or after the touch
        int framesAfterFirstTo255;
    };
    for (const Case& c : {Case{true, 0, 60}, Case{false, 4, 59}}) {
        SCOPED_TRACE(c.scheduled ? "from a scheduled callback" : "from a touch");
        node->stopAllActions();
        if (c.scheduled) {
            node->schedule([&](float) { start(); }, 0, 0, 0, "blink");
        } else {
            h.touch(Vec2(10, 10));
        }
        const unsigned long drawn = h.director()->getDrawnFrames();
        h.frame();
        EXPECT_EQ(node->getOpacity(), c.opacityAfterFirstFrame);
        EXPECT_EQ(h.director()->getDrawnFrames(), drawn + 1);
        int frames = 0;
        while (node->getOpacity() < 255 && frames < 120) {
            h.frame();
            ++frames;
        }
        EXPECT_EQ(frames, c.framesAfterFirstTo255);
    }
}
