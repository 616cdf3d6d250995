#include "TestSupport.h"
#include "harness/EngineHarness.h"

#include <gtest/gtest.h>

USING_NS_CC;

namespace {
struct RedrawFixture : ::testing::Test {
    TempDir dir;
    EngineHarness h{Size(200, 200)};
    Scene* scene = Scene::create();
    Sprite* sprite = Sprite::create(writePng(dir, "s.png", 10, 10, Color4B(255, 0, 0, 255)));
    ui::Text* text = ui::Text::create("idle", "Arial", 20);
    int ticks = 0;
    void SetUp() override {
        scene->addChild(sprite);
        scene->addChild(text);
        scene->schedule([this](float) { ++ticks; }, 0, CC_REPEAT_FOREVER, 0, "tick");
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

TEST_F(RedrawFixture, OnlyAChangeOrSomethingRunningDrawsAFrame) {
    drawsOver(1);
    EXPECT_EQ(drawsOver(30), 0u);
    EXPECT_EQ(ticks, 31); // callbacks ticking change nothing visible
    sprite->setPosition(sprite->getPosition());
    text->setString("idle");
    EXPECT_EQ(drawsOver(5), 0u);
    const std::function<void()> changes[] = {
        [&] { sprite->setPosition(Vec2(50, 50)); },
        [&] { text->setString("changed"); },
        [&] { sprite->setOpacity(10); },
        [&] { h.touch(Vec2(5, 5)); },
        [&] { scene->addChild(Node::create()); },
    };
    for (const auto& change : changes) {
        change();
        EXPECT_EQ(drawsOver(3), 1u);
    }
    // Running actions and slides draw every frame.
    sprite->runAction(MoveTo::create(0.5f, Vec2(150, 150)));
    EXPECT_EQ(drawsOver(30), 30u);
    EXPECT_EQ(drawsOver(10), 0u);
    h.director()->replaceScene(TransitionMoveInR::create(0.5f, Scene::create()));
    EXPECT_EQ(drawsOver(31), 31u);
    EXPECT_EQ(drawsOver(10), 0u);
}
