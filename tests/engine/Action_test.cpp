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
};
} // namespace

TEST_F(ActionFixture, MoveToIsLinearAndEndsExactlyOnItsTarget) {
    node->setPosition(Vec2(10, 20));
    node->runAction(MoveTo::create(1.0f, Vec2(110, 220)));
    h.advance(0.25f);
    EXPECT_NEAR(node->getPosition().x, 35, 1e-3);
    EXPECT_NEAR(node->getPosition().y, 70, 1e-3);
    h.advance(0.75f);
    EXPECT_EQ(node->getPosition(), Vec2(110, 220));
    EXPECT_EQ(node->getNumberOfRunningActions(), 0u);
}

TEST_F(ActionFixture, FadesGoFromTheCurrentOpacity) {
    node->setOpacity(0);
    node->runAction(FadeIn::create(1.0f));
    h.advance(0.5f);
    EXPECT_NEAR(node->getOpacity(), 127, 1);
    h.advance(0.5f);
    EXPECT_EQ(node->getOpacity(), 255);
    node->setOpacity(200);
    node->runAction(FadeOut::create(2.0f));
    h.advance(1.0f);
    EXPECT_NEAR(node->getOpacity(), 100, 1);
    h.advance(1.0f);
    EXPECT_EQ(node->getOpacity(), 0);
}

TEST_F(ActionFixture, ABlinkRepeatsFadeInAndOutEveryTwoSeconds) {
    auto* blink = RepeatForever::create(
        Sequence::create(FadeIn::create(1.0f), FadeOut::create(1.0f), nullptr));
    node->setOpacity(0);
    node->runAction(blink);
    const float at[] = {0.5f, 1.0f, 1.5f, 2.0f, 3.0f, 4.0f, 101.0f};
    const int expected[] = {127, 255, 127, 0, 255, 0, 255};
    float now = 0;
    for (int i = 0; i < 7; ++i) {
        h.advance(at[i] - now);
        now = at[i];
        EXPECT_NEAR(node->getOpacity(), expected[i], 1) << "at " << now << " s";
    }
    EXPECT_EQ(node->getNumberOfRunningActions(), 1u);
}

TEST_F(ActionFixture, ARetainedActionStoppedAndRunAgainStartsOver) {
    Action* blink = RepeatForever::create(
        Sequence::create(FadeIn::create(1.0f), FadeOut::create(1.0f), nullptr));
    blink->retain();
    node->setOpacity(0);
    node->runAction(blink);
    h.advance(1.5f);
    node->stopAllActions();
    const uint8_t frozen = node->getOpacity();
    h.advance(1.0f);
    EXPECT_EQ(node->getOpacity(), frozen);
    node->setOpacity(0);
    node->runAction(blink);
    node->runAction(blink); // twice in a row: still one blink, not two at once
    EXPECT_EQ(node->getNumberOfRunningActions(), 1u);
    h.advance(0.5f);
    EXPECT_NEAR(node->getOpacity(), 127, 1);
    h.advance(0.5f);
    EXPECT_EQ(node->getOpacity(), 255);
    node->stopAction(blink);
    blink->release();
}

TEST_F(ActionFixture, ActionsOfANodeOutsideTheSceneWait) {
    auto* loose = Node::create();
    loose->retain();
    loose->runAction(MoveTo::create(1.0f, Vec2(100, 0)));
    h.advance(2.0f);
    EXPECT_EQ(loose->getPosition(), Vec2::ZERO);
    node->addChild(loose);
    loose->release();
    h.advance(1.0f);
    EXPECT_EQ(loose->getPosition(), Vec2(100, 0));
}

// A blink started from a scheduled callback (every network listener is called from one) or
// from a touch (delivered between frames): either way it counts from the frame after the one
// it started in, so it reaches full opacity exactly one second (60 frames) after its start.
TEST_F(ActionFixture, AnActionStartsCountingInTheFrameAfterItsStart) {
    auto blink = [this] {
        node->setOpacity(0);
        node->runAction(RepeatForever::create(
            Sequence::create(FadeIn::create(1.0f), FadeOut::create(1.0f), nullptr)));
    };
    auto* listener = EventListenerTouchOneByOne::create();
    listener->onTouchBegan = [&](Touch*, Event*) {
        blink();
        return true;
    };
    h.director()->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, node);
    struct Case {
        bool scheduled;             // else a touch
        int opacityAfterFirstFrame; // of the frame the callback ran in, or after the touch
        int framesAfterFirstTo255;
    };
    const Case cases[] = {{true, 0, 60}, {false, 4, 59}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scheduled ? "from a scheduled callback" : "from a touch");
        node->stopAllActions();
        if (c.scheduled) {
            node->schedule([&](float) { blink(); }, 0, 0, 0, "blink");
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
