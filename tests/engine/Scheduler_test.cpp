#include "harness/EngineHarness.h"

#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <utility>
#include <vector>

USING_NS_CC;

namespace {
// Runs `frames` frames one by one; the frame numbers (from 1) at which `calls` grew.
std::vector<int> framesOfCalls(EngineHarness& h, const int& calls, int frames) {
    std::vector<int> at;
    for (int f = 1; f <= frames; ++f) {
        const int before = calls;
        h.frame();
        at.insert(at.end(), calls - before, f);
    }
    return at;
}

// A target that is not a node, as the network director is.
struct Dispatcher {
    int calls = 0;
    void dispatch(float) { ++calls; }
};

// A node in the running scene, and the match scene's blink.
struct FrameTest : ::testing::Test {
    EngineHarness h{Size(200, 200)};
    Scene* scene = Scene::create();
    Node* node = Node::create();
    void SetUp() override {
        scene->addChild(node);
        h.runScene(scene);
    }
    static Action* blink() {
        return RepeatForever::create(
            Sequence::create(FadeIn::create(1.0f), FadeOut::create(1.0f), nullptr));
    }
};
} // namespace

// The game's move clock: a repeat of 60 is 61 calls, the first after the delay.
TEST(SchedulerTest, RepeatNGivesNPlusOneCallsTheFirstAfterTheDelay) {
    EngineHarness h(Size(100, 100), Size(), 0.25f);
    auto* scene = Scene::create();
    h.runScene(scene);
    int calls = 0;
    scene->schedule([&](float) { ++calls; }, 1.0f, 60, 1.0f, "NetGameTiming");
    const std::vector<int> at = framesOfCalls(h, calls, 400);
    ASSERT_EQ(at.size(), 61u);
    EXPECT_EQ(at.front(), 4);
    EXPECT_EQ(at.back(), 244);
}

// The network director's dispatch step: every 0.1 s at 60 frames a second, without drift.
TEST_F(FrameTest, ATenthOfASecondIsEverySixthFrameForMinutes) {
    Dispatcher d;
    h.director()->getScheduler()->schedule(CC_CALLBACK_1(Dispatcher::dispatch, &d), &d, 0.1f,
                                           CC_REPEAT_FOREVER, 0.1f, false, "fff");
    EXPECT_EQ(framesOfCalls(h, d.calls, 60),
              (std::vector<int>{6, 12, 18, 24, 30, 36, 42, 48, 54, 60}));
    h.advance(300);
    EXPECT_EQ(d.calls, 3010);
}

TEST_F(FrameTest, UnscheduleTouchesOnlyItsCallbackAndMayComeFromTheCallbackItself) {
    Scheduler* s = h.director()->getScheduler();
    Dispatcher a, b;
    for (Dispatcher* d : {&a, &b}) {
        s->schedule(CC_CALLBACK_1(Dispatcher::dispatch, d), d, 0, CC_REPEAT_FOREVER, 0, false, "k");
    }
    int other = 0, later = 0;
    s->schedule(
        [&](float) {
            if (++other == 5) { // unschedules itself and schedules another
                s->unschedule("other", &a);
                s->schedule([&](float) { ++later; }, &a, 0, 0, 0, false, "later");
            }
        },
        &a, 0, CC_REPEAT_FOREVER, 0, false, "other");
    h.frame(2);
    s->unschedule("k", &a);
    h.frame(6);
    EXPECT_EQ(a.calls, 2);
    EXPECT_EQ(b.calls, 8);
    EXPECT_EQ(other, 5);
    EXPECT_EQ(later, 1); // repeat 0: one call, on the frame after it was scheduled
}

// The match scene's blink may run for minutes while a player waits.
TEST_F(FrameTest, ABlinkRepeatsEveryTwoSecondsForMinutes) {
    node->setOpacity(0);
    node->runAction(blink());
    const std::pair<float, int> expected[] = {{0.5f, 127}, {1.0f, 255},   {1.5f, 127},  {2.0f, 0},
                                              {3.0f, 255}, {101.0f, 255}, {101.5f, 127}};
    float now = 0;
    for (const auto& [at, opacity] : expected) {
        h.advance(at - now);
        now = at;
        EXPECT_NEAR(node->getOpacity(), opacity, 1) << "at " << now << " s";
    }
    node->stopAllActions();
    h.advance(1.0f);
    EXPECT_NEAR(node->getOpacity(), 127, 1);
}

// A blink started from a scheduled callback (every network listener is called from one) or
// from a touch (delivered between frames): either way it counts from the frame after the one
// it started in, so it reaches full opacity exactly one second (60 frames) after its start.
TEST_F(FrameTest, AnActionStartsCountingInTheFrameAfterItsStart) {
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

// When nothing animates the main loop sleeps for the idle wait: a frame of exactly that time
// runs the callback that is due, a frame a little shorter runs none.
TEST_F(FrameTest, TheIdleWaitEndsExactlyWhenTheNextCallbackIsDue) {
    Director* director = h.director();
    Dispatcher d;
    director->getScheduler()->schedule(CC_CALLBACK_1(Dispatcher::dispatch, &d), &d, 0.1f,
                                       CC_REPEAT_FOREVER, 0.1f, false, "fff");
    int once = 0;
    node->schedule([&](float) { ++once; }, 0, 0, 0.25f, "once");
    const struct {
        double at;
        int dispatches, onces;
    } expected[] = {{0.1, 1, 0}, {0.2, 2, 0}, {0.25, 2, 1}, {0.3, 3, 1}, {0.4, 4, 1}};
    double now = 0;
    for (const auto& e : expected) {
        const double wait = director->getIdleWait();
        director->mainLoop(static_cast<float>(wait - 1e-4));
        EXPECT_EQ(d.calls + once, e.dispatches + e.onces - 1) << "early, before " << e.at;
        const double rest = director->getIdleWait();
        EXPECT_NEAR(rest, 1e-4, 1e-6);
        director->mainLoop(static_cast<float>(rest));
        now += wait - 1e-4 + rest;
        EXPECT_NEAR(now, e.at, 1e-6);
        EXPECT_EQ(d.calls, e.dispatches) << e.at;
        EXPECT_EQ(once, e.onces) << e.at;
    }
}

// Anything that animates or waits to be drawn makes the loop run frames; a stopped animation
// or callbacks of nodes outside the scene never wake it.
TEST_F(FrameTest, TheLoopWaitsOnlyWhileNothingAnimates) {
    Director* director = h.director();
    const double never = std::numeric_limits<double>::infinity();
    Node* outside = Node::create();
    outside->retain();
    outside->schedule([](float) {}, 0, CC_REPEAT_FOREVER, 0, "outside");
    node->retain(); // the slide replaces the scene that holds it
    const std::pair<const char*, std::function<void()>> animating[] = {
        {"a change", [&] { node->setPosition(Vec2(5, 5)); }},
        {"an action", [&] { node->runAction(MoveTo::create(0.5f, Vec2(9, 9))); }},
        {"a callback every frame",
         [&] { node->schedule([](float) {}, 0, CC_REPEAT_FOREVER, 0, "each"); }},
        {"a slide",
         [&] { director->replaceScene(TransitionMoveInR::create(0.5f, Scene::create())); }},
    };
    for (const auto& [what, start] : animating) {
        EXPECT_EQ(director->getIdleWait(), never) << "before " << what;
        start();
        EXPECT_EQ(director->getIdleWait(), 0) << what;
        director->stopAnimation();
        EXPECT_EQ(director->getIdleWait(), never) << what << ", stopped";
        director->startAnimation();
        h.advance(0.6f);
        node->unschedule("each");
        h.frame();
    }
    EXPECT_EQ(director->getIdleWait(), never);
    outside->release();
    node->release();
}
