#include "harness/EngineHarness.h"

#include <gtest/gtest.h>

USING_NS_CC;

namespace {
// A scene layer that records what reaches it.
class Probe : public Layer {
public:
    static Probe* make(bool* destroyed) {
        auto* p = new Probe(destroyed);
        p->init();
        p->autorelease();
        return p;
    }
    bool init() override {
        Layer::init();
        auto* listener = EventListenerTouchOneByOne::create();
        listener->onTouchBegan = [this](Touch*, Event*) {
            ++touches;
            return true;
        };
        _eventDispatcher->addEventListenerWithSceneGraphPriority(listener, this);
        schedule([this](float) { ++ticks; }, 0, CC_REPEAT_FOREVER, 0, "tick");
        return true;
    }
    ~Probe() override { *destroyed_ = true; }
    int touches = 0;
    int ticks = 0;

private:
    explicit Probe(bool* destroyed) : destroyed_(destroyed) {}
    bool* destroyed_;
};

Scene* sceneWith(Node* layer) {
    auto* s = Scene::create();
    s->addChild(layer);
    return s;
}
} // namespace

TEST(SceneTest, RunWithSceneEntersItAtTheFirstFrame) {
    bool gone = false;
    EngineHarness h(Size(100, 100));
    Probe* p = Probe::make(&gone);
    Scene* s = sceneWith(p);
    h.director()->runWithScene(s);
    EXPECT_FALSE(p->isRunning());
    h.frame();
    EXPECT_EQ(h.director()->getRunningScene(), s);
    EXPECT_TRUE(p->isRunning());
}

TEST(SceneTest, MoveInRSlidesFromTheRightAndCleansUpTheOldSceneAtTheEnd) {
    bool oldGone = false;
    bool newGone = false;
    EngineHarness h(Size(200, 100));
    Probe* oldLayer = Probe::make(&oldGone);
    h.runScene(sceneWith(oldLayer));
    Probe* newLayer = Probe::make(&newGone);
    Scene* next = sceneWith(newLayer);
    h.director()->replaceScene(TransitionMoveInR::create(0.5f, next));
    h.frame(); // the slide starts
    EXPECT_EQ(next->getPosition(), Vec2(200, 0));
    const int ticksAtStart = oldLayer->ticks;
    h.advance(0.25f);
    EXPECT_NEAR(next->getPosition().x, 100, 1e-3);
    EXPECT_GT(oldLayer->ticks, ticksAtStart); // the old scene runs on underneath
    h.advance(0.25f);
    EXPECT_EQ(h.director()->getRunningScene(), next);
    EXPECT_EQ(next->getPosition(), Vec2::ZERO);
    EXPECT_TRUE(oldGone);
    EXPECT_TRUE(newLayer->isRunning());
    const int ticks = newLayer->ticks;
    h.frame(3);
    EXPECT_EQ(newLayer->ticks, ticks + 3);
}

TEST(SceneTest, MoveInLSlidesFromTheLeftAndNoInputReachesEitherScene) {
    bool g1 = false;
    bool g2 = false;
    EngineHarness h(Size(200, 100));
    Probe* oldLayer = Probe::make(&g1);
    h.runScene(sceneWith(oldLayer));
    auto* field = ui::TextField::create("name", "Arial", 20);
    field->setPosition(Vec2(100, 50));
    oldLayer->addChild(field);
    h.tap(field); // focused before the change
    Probe* newLayer = Probe::make(&g2);
    h.director()->replaceScene(TransitionMoveInL::create(0.5f, sceneWith(newLayer)));
    h.frame();
    EXPECT_EQ(newLayer->getParent()->getPosition(), Vec2(-200, 0));
    const int oldTouches = oldLayer->touches;
    h.touch(Vec2(100, 50));
    h.type("x");
    h.advance(0.2f);
    h.touch(Vec2(10, 10));
    EXPECT_EQ(oldLayer->touches, oldTouches);
    EXPECT_EQ(newLayer->touches, 0);
    EXPECT_EQ(field->getString(), "");
    h.advance(0.3f);
    h.touch(Vec2(10, 10));
    EXPECT_EQ(newLayer->touches, 1);
}

TEST(SceneTest, AChangeDuringASlideFinishesItFirst) {
    bool g1 = false;
    bool g2 = false;
    bool g3 = false;
    EngineHarness h(Size(200, 100));
    h.runScene(sceneWith(Probe::make(&g1)));
    h.director()->replaceScene(TransitionMoveInR::create(0.5f, sceneWith(Probe::make(&g2))));
    h.advance(0.2f);
    Probe* third = Probe::make(&g3);
    h.director()->replaceScene(TransitionMoveInL::create(0.5f, sceneWith(third)));
    h.frame();
    EXPECT_TRUE(g1);
    EXPECT_FALSE(g2); // the scene that was sliding in is now the one slid over
    h.advance(0.5f);
    EXPECT_TRUE(g2);
    EXPECT_TRUE(third->isRunning());
    EXPECT_EQ(h.director()->getRunningScene(), third->getParent());
}

// A network listener (a scheduled callback on an object that is not a node) asks for a new
// scene on the very frame a slide ends, called before or after the slide's own end in that
// frame: its scene is the one that runs, and the scene that slid in is cleaned up.
TEST(SceneTest, AChangeRequestedOnTheLastFrameOfASlideWins) {
    for (const bool requestFirst : {true, false}) {
        SCOPED_TRACE(requestFirst ? "request called first" : "request called last");
        bool g1 = false;
        bool g2 = false;
        bool g3 = false;
        Probe* requested = nullptr;
        int listener = 0; // the target the listener is scheduled on
        EngineHarness h(Size(200, 100));
        Scheduler* scheduler = h.director()->getScheduler();
        auto request = [&](float) {
            requested = Probe::make(&g3);
            Director::getInstance()->replaceScene(sceneWith(requested));
        };
        h.runScene(sceneWith(Probe::make(&g1)));
        Probe* slid = Probe::make(&g2);
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
        ASSERT_FALSE(g3);
        EXPECT_EQ(h.director()->getRunningScene(), requested->getParent());
        EXPECT_TRUE(requested->isRunning());
        EXPECT_TRUE(g1);
        EXPECT_TRUE(g2); // the scene slid in is gone, with its listener and its callback
        const int ticks = requested->ticks;
        h.frame(2);
        h.touch(Vec2(10, 10));
        EXPECT_EQ(requested->ticks, ticks + 2);
        EXPECT_EQ(requested->touches, 1);
    }
}

TEST(SceneTest, EndingPurgesEveryScene) {
    bool gone = false;
    EngineHarness h(Size(100, 100));
    h.runScene(sceneWith(Probe::make(&gone)));
    h.director()->end();
    h.frame();
    EXPECT_TRUE(gone);
    EXPECT_EQ(Director::getInstanceIfExists(), nullptr);
}
