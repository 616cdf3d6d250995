#include "harness/EngineHarness.h"

#include <gtest/gtest.h>
#include <vector>

USING_NS_CC;

namespace {
// Runs `frames` frames one by one and returns the frame numbers (from 1) at which `calls` grew.
std::vector<int> framesOfCalls(EngineHarness& h, const int& calls, int frames) {
    std::vector<int> at;
    for (int f = 1; f <= frames; ++f) {
        const int before = calls;
        h.frame();
        for (int i = before; i < calls; ++i) {
            at.push_back(f);
        }
    }
    return at;
}

// A target that is not a node, as the network director is.
struct Dispatcher {
    int calls = 0;
    void dispatch(float) { ++calls; }
};

class Ticker : public Node {
public:
    CREATE_FUNC(Ticker)
    void tick(float) { ++ticks; }
    int ticks = 0;
};
} // namespace

TEST(SchedulerTest, RepeatNGivesNPlusOneCallsTheFirstAfterTheDelay) {
    EngineHarness h(Size(100, 100), Size(), 0.25f);
    auto* scene = Scene::create();
    h.runScene(scene);
    int calls = 0;
    std::vector<float> steps;
    scene->schedule(
        [&](float dt) {
            ++calls;
            steps.push_back(dt);
        },
        1.0f, 60, 1.0f, "NetGameTiming");
    const std::vector<int> at = framesOfCalls(h, calls, 400);
    ASSERT_EQ(at.size(), 61u);
    for (size_t i = 0; i < at.size(); ++i) {
        EXPECT_EQ(at[i], 4 * static_cast<int>(i + 1)); // 1 s, 2 s, ... 61 s
    }
    EXPECT_FLOAT_EQ(steps.front(), 1.0f);
    EXPECT_FALSE(scene->isScheduled("NetGameTiming"));
}

TEST(SchedulerTest, ExactTimesWithSixtyFramesASecond) {
    EngineHarness h(Size(100, 100));
    Dispatcher d;
    h.director()->getScheduler()->schedule(CC_CALLBACK_1(Dispatcher::dispatch, &d), &d, 0.1f,
                                           CC_REPEAT_FOREVER, 0.1f, false, "fff");
    const std::vector<int> at = framesOfCalls(h, d.calls, 60);
    ASSERT_EQ(at.size(), 10u); // every 0.1 s for one second: frames 6, 12, ... 60
    for (size_t i = 0; i < at.size(); ++i) {
        EXPECT_EQ(at[i], 6 * static_cast<int>(i + 1));
    }
    h.director()->getScheduler()->unschedule("fff", &d);
    h.advance(1);
    EXPECT_EQ(d.calls, 10);
}

TEST(SchedulerTest, UnscheduleByKeyAndTargetTouchesOnlyThatCallback) {
    EngineHarness h(Size(100, 100));
    Scheduler* s = h.director()->getScheduler();
    Dispatcher a;
    Dispatcher b;
    s->schedule(CC_CALLBACK_1(Dispatcher::dispatch, &a), &a, 0, CC_REPEAT_FOREVER, 0, false, "k");
    s->schedule(CC_CALLBACK_1(Dispatcher::dispatch, &b), &b, 0, CC_REPEAT_FOREVER, 0, false, "k");
    int other = 0;
    s->schedule([&](float) { ++other; }, &a, 0, CC_REPEAT_FOREVER, 0, false, "other");
    h.frame(2);
    s->unschedule("k", &a);
    h.frame(3);
    EXPECT_EQ(a.calls, 2);
    EXPECT_EQ(b.calls, 5);
    EXPECT_EQ(other, 5);
    s->unscheduleAllForTarget(&a);
    h.frame();
    EXPECT_EQ(other, 5);
    EXPECT_EQ(b.calls, 6);
}

TEST(SchedulerTest, ACallbackMayUnscheduleItselfAndScheduleAnother) {
    EngineHarness h(Size(100, 100));
    Scheduler* s = h.director()->getScheduler();
    Dispatcher target;
    int calls = 0;
    int later = 0;
    s->schedule(
        [&](float) {
            if (++calls == 3) {
                s->unschedule("self", &target);
                s->schedule([&](float) { ++later; }, &target, 0, 0, 0, false, "later");
            }
        },
        &target, 0, CC_REPEAT_FOREVER, 0, false, "self");
    h.frame(10);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(later, 1); // repeat 0: one call, on the frame after it was scheduled
}

TEST(SchedulerTest, SchedulingAKeyAgainReplacesItsTiming) {
    EngineHarness h(Size(100, 100));
    auto* scene = Scene::create();
    h.runScene(scene);
    int calls = 0;
    scene->schedule([&](float) { ++calls; }, 1.0f, 60, 1.0f, "clock");
    h.advance(0.5f);
    scene->schedule([&](float) { calls += 100; }, 1.0f, 60, 1.0f, "clock");
    h.advance(0.75f);
    EXPECT_EQ(calls, 0); // the first would have run at 1 s; the new one waits until 1.5 s
    h.advance(0.25f);
    EXPECT_EQ(calls, 100);
}

TEST(SchedulerTest, ANodesCallbacksWaitUntilItIsInTheRunningScene) {
    EngineHarness h(Size(100, 100));
    auto* ticker = Ticker::create();
    ticker->retain();
    ticker->schedule(CC_SCHEDULE_SELECTOR(Ticker::tick), 0, CC_REPEAT_FOREVER, 0);
    auto* scene = Scene::create();
    h.runScene(scene);
    h.frame(3);
    EXPECT_EQ(ticker->ticks, 0);
    scene->addChild(ticker);
    ticker->release();
    h.frame(3);
    EXPECT_EQ(ticker->ticks, 3);
    ticker->unschedule(CC_SCHEDULE_SELECTOR(Ticker::tick));
    h.frame(3);
    EXPECT_EQ(ticker->ticks, 3);
}
