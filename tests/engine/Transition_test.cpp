// The slides from one scene to the next, and scene changes asked for while one runs.

#include "TestSupport.h"

USING_NS_CC;

TEST(TransitionTest, ASlideRunsBothScenesTakesNoInputAndCleansUpTheOldSceneAtTheEnd) {
    int oldGone = 0, newGone = 0;
    EngineHarness h(Size(200, 100));
    Probe* oldLayer = Probe::make(&oldGone);
    h.runScene(sceneWith(oldLayer));
    auto* field = ui::TextField::create("name", "Arial", 20);
    field->setPosition(Vec2(100, 50));
    oldLayer->addChild(field);
    h.tap(field); // focused before the change
    Probe* newLayer = Probe::make(&newGone);
    Scene* next = sceneWith(newLayer);
    h.director()->replaceScene(TransitionMoveInR::create(0.5f, next));
    h.frame(); // the slide starts
    EXPECT_EQ(next->getPosition(), Vec2(200, 0));
    const int ticks = oldLayer->ticks, touches = oldLayer->touches;
    h.advance(0.25f);
    EXPECT_NEAR(next->getPosition().x, 100, 1e-3);
    EXPECT_GT(oldLayer->ticks, ticks); // the old scene runs on underneath
    h.touch(Vec2(100, 50));
    h.type("x");
    EXPECT_EQ(oldLayer->touches, touches);
    EXPECT_EQ(newLayer->touches, 0);
    EXPECT_EQ(field->getString(), "");
    h.advance(0.25f);
    EXPECT_EQ(h.director()->getRunningScene(), next);
    EXPECT_EQ(next->getPosition(), Vec2::ZERO);
    EXPECT_TRUE(oldGone);
    const int newTicks = newLayer->ticks;
    h.frame(3);
    h.touch(Vec2(10, 10));
    EXPECT_EQ(newLayer->ticks, newTicks + 3);
    EXPECT_EQ(newLayer->touches, 1);
    h.director()->end(); // purges every scene
    h.frame();
    EXPECT_TRUE(newGone);
}

TEST(TransitionTest, AChangeDuringASlideFinishesItFirst) {
    int gone[3] = {};
    EngineHarness h(Size(200, 100));
    h.runScene(sceneWith(Probe::make(&gone[0])));
    h.director()->replaceScene(TransitionMoveInR::create(0.5f, sceneWith(Probe::make(&gone[1]))));
    h.advance(0.2f);
    Probe* third = Probe::make(&gone[2]);
    h.director()->replaceScene(TransitionMoveInL::create(0.5f, sceneWith(third)));
    h.frame();
    EXPECT_EQ(third->getParent()->getPosition(), Vec2(-200, 0)); // from the left
    EXPECT_TRUE(gone[0]);
    EXPECT_FALSE(gone[1]); // the scene that was sliding in is now the one slid over
    h.advance(0.5f);
    EXPECT_TRUE(gone[1]);
    EXPECT_EQ(h.director()->getRunningScene(), third->getParent());
}

// A network listener (a scheduled callback on an object that is not a node) asks for a new
// scene on the very frame a slide ends, called before or after the slide's own end in that
// frame: its scene is the one that runs, and the scene that slid in is cleaned up.
TEST(TransitionTest, AChangeRequestedOnTheLastFrameOfASlideWins) {
    for (const bool requestFirst : {true, false}) {
        SCOPED_TRACE(requestFirst ? "request called first" : "request called last");
        int gone[3] = {};
        Probe* requested = nullptr;
        int listener = 0; // the target the listener is scheduled on
        EngineHarness h(Size(200, 100));
        Scheduler* scheduler = h.director()->getScheduler();
        auto request = [&](float) {
            requested = Probe::make(&gone[2]);
            Director::getInstance()->replaceScene(sceneWith(requested));
        };
        h.runScene(sceneWith(Probe::make(&gone[0])));
        Probe* slid = Probe::make(&gone[1]);
        h.director()->replaceScene(TransitionMoveInR::create(0.5f, sceneWith(slid)));
        // The slide begins in the next frame and ends 30 frames after it.
        if (requestFirst) {
            scheduler->schedule(request, &listener, 0, 0, 31.0f / 60, false, "match");
            h.frame();
        } else {
            h.frame();
            scheduler->schedule(request, &listener, 0, 0, 0.5f, false, "match");
        }
        h.frame(29);
        ASSERT_EQ(requested, nullptr);
        EXPECT_NEAR(slid->getParent()->getPosition().x, 200.0f / 30, 1e-3); // one frame to go
        h.frame();
        ASSERT_NE(requested, nullptr);
        ASSERT_FALSE(gone[2]);
        EXPECT_EQ(h.director()->getRunningScene(), requested->getParent());
        EXPECT_TRUE(gone[0]);
        EXPECT_TRUE(gone[1]); // the scene slid in is gone, with its listener and its callback
        const int ticks = requested->ticks;
        h.frame(2);
        h.touch(Vec2(10, 10));
        EXPECT_EQ(requested->ticks, ticks + 2);
        EXPECT_EQ(requested->touches, 1);
    }
}
