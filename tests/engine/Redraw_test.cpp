#include "TestSupport.h"
#include "harness/EngineHarness.h"

#include <gtest/gtest.h>

USING_NS_CC;

namespace {
struct RedrawFixture : ::testing::Test {
    TempDir dir;
    EngineHarness h{Size(200, 200)};
    Sprite* sprite = nullptr;
    ui::Text* text = nullptr;
    Scene* scene = nullptr;
    void SetUp() override {
        scene = Scene::create();
        sprite = Sprite::create(writePng(dir, "s.png", 10, 10, Color4B(255, 0, 0, 255)));
        text = ui::Text::create("idle", "Arial", 20);
        scene->addChild(sprite);
        scene->addChild(text);
        h.runScene(scene);
    }
    // Frames drawn during `frames` frames.
    unsigned long drawsOver(int frames) {
        const unsigned long before = h.director()->getDrawnFrames();
        h.frame(frames);
        return h.director()->getDrawnFrames() - before;
    }
};
} // namespace

TEST_F(RedrawFixture, AnIdleSceneIsNotRedrawnEvenWithCallbacksTicking) {
    int ticks = 0;
    scene->schedule([&](float) { ++ticks; }, 0, CC_REPEAT_FOREVER, 0, "idle");
    drawsOver(1);
    EXPECT_EQ(drawsOver(30), 0u);
    EXPECT_EQ(ticks, 31);
    sprite->setPosition(sprite->getPosition()); // no change
    text->setString("idle");
    EXPECT_EQ(drawsOver(5), 0u);
}

TEST_F(RedrawFixture, EachKindOfChangeDrawsOneFrame) {
    drawsOver(1);
    sprite->setPosition(Vec2(50, 50));
    EXPECT_EQ(drawsOver(3), 1u);
    text->setString("changed");
    EXPECT_EQ(drawsOver(3), 1u);
    sprite->setOpacity(10);
    EXPECT_EQ(drawsOver(3), 1u);
    h.touch(Vec2(5, 5));
    EXPECT_EQ(drawsOver(3), 1u);
    scene->addChild(Node::create());
    EXPECT_EQ(drawsOver(3), 1u);
}

TEST_F(RedrawFixture, RunningActionsAndTransitionsDrawEveryFrame) {
    drawsOver(1);
    sprite->runAction(MoveTo::create(0.5f, Vec2(150, 150)));
    EXPECT_EQ(drawsOver(30), 30u);
    EXPECT_EQ(drawsOver(10), 0u);
    h.director()->replaceScene(TransitionMoveInR::create(0.5f, Scene::create()));
    EXPECT_EQ(drawsOver(31), 31u);
    EXPECT_EQ(drawsOver(10), 0u);
}

TEST_F(RedrawFixture, NothingRunsOrDrawsWhileTheAnimationIsStopped) {
    int ticks = 0;
    scene->schedule([&](float) { ++ticks; }, 0, CC_REPEAT_FOREVER, 0, "t");
    sprite->runAction(MoveTo::create(1.0f, Vec2(150, 150)));
    h.frame();
    h.director()->stopAnimation();
    const Vec2 at = sprite->getPosition();
    const int ticksAtStop = ticks;
    EXPECT_EQ(drawsOver(20), 0u);
    EXPECT_EQ(ticks, ticksAtStop);
    EXPECT_EQ(sprite->getPosition(), at);
    h.director()->startAnimation();
    EXPECT_EQ(drawsOver(1), 1u);
    EXPECT_EQ(sprite->getPosition(), at); // the stopped time is not a step
    h.frame();
    EXPECT_NE(sprite->getPosition(), at);
}
