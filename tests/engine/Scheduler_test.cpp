#include "harness/EngineHarness.h"

#include <gtest/gtest.h>
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
    EXPECT_FALSE(scene->isScheduled("NetGameTiming"));
}

// The network director's dispatch step: every 0.1 s at 60 frames a second, without drift.
TEST(SchedulerTest, ATenthOfASecondIsEverySixthFrameForMinutes) {
    EngineHarness h(Size(100, 100));
    Dispatcher d;
    h.director()->getScheduler()->schedule(CC_CALLBACK_1(Dispatcher::dispatch, &d), &d, 0.1f,
                                           CC_REPEAT_FOREVER, 0.1f, false, "fff");
    EXPECT_EQ(framesOfCalls(h, d.calls, 60),
              (std::vector<int>{6, 12, 18, 24, 30, 36, 42, 48, 54, 60}));
    h.advance(300);
    EXPECT_EQ(d.calls, 3010);
}

TEST(SchedulerTest, UnscheduleTouchesOnlyItsCallbackAndMayComeFromTheCallbackItself) {
    EngineHarness h(Size(100, 100));
    Scheduler* s = h.director()->getScheduler();
    Dispatcher a;
    Dispatcher b;
    s->schedule(CC_CALLBACK_1(Dispatcher::dispatch, &a), &a, 0, CC_REPEAT_FOREVER, 0, false, "k");
    s->schedule(CC_CALLBACK_1(Dispatcher::dispatch, &b), &b, 0, CC_REPEAT_FOREVER, 0, false, "k");
    int other = 0;
    int later = 0;
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
    h.frame(3);
    EXPECT_EQ(a.calls, 2);
    EXPECT_EQ(b.calls, 5);
    EXPECT_EQ(other, 5);
    h.frame(3);
    EXPECT_EQ(other, 5);
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
