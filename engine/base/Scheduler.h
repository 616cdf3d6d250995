#pragma once
// Timed callbacks, run by the director once per frame on the main thread. A callback belongs to
// a target (any pointer: a node, or an object that is not a node at all) and is named by a key
// or by its member selector; (target, key) is unique.
//
// Timing: a callback with delay d, interval i and repeat n runs n + 1 times, first after d
// (after i when d is 0), then every i. Time is summed from the frame steps, so with a fixed step
// the calls fall exactly on those times.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace cocos2d {

class Ref;
using ccSchedulerFunc = std::function<void(float)>;
typedef void (Ref::*SEL_SCHEDULE)(float);

class Scheduler {
public:
    Scheduler();
    ~Scheduler();

    void schedule(const ccSchedulerFunc& callback, void* target, float interval,
                  unsigned int repeat, float delay, bool paused, const std::string& key);
    void schedule(SEL_SCHEDULE selector, Ref* target, float interval, unsigned int repeat,
                  float delay, bool paused);
    void unschedule(const std::string& key, void* target);
    void unschedule(SEL_SCHEDULE selector, Ref* target);
    void unscheduleAllForTarget(void* target);
    void unscheduleAll();
    bool isScheduled(const std::string& key, const void* target) const;

    void pauseTarget(void* target);
    void resumeTarget(void* target);
    // Whether the target has a callback and all of them are paused.
    bool isTargetPaused(const void* target) const;

    // Advances every callback that is not paused by dt seconds. Callbacks may schedule and
    // unschedule freely, themselves included; new ones first run on the next update.
    void update(float dt);
    // The time until the next callback that is not paused falls due: an update by that much
    // runs it. 0 with a callback on every update, or a function to perform; infinity with none.
    double secondsUntilNextCall() const;

    // Runs `function` on the main thread at the start of the next update. Any thread may call
    // it: it is how another thread hands work to the engine, and it wakes a main loop that
    // waits for input.
    void performFunctionInCocosThread(std::function<void()> function);

private:
    struct Timer;
    // A new timer with the timing every schedule form shares; the caller sets what it calls.
    Timer& add(void* target, float interval, unsigned int repeat, float delay, bool paused);
    void advance(Timer& timer, double dt);
    void purgeDead();

    std::vector<std::shared_ptr<Timer>> _timers;
    bool _updating = false;
    mutable std::mutex _functionsMutex;
    std::vector<std::function<void()>> _functions; // guarded by _functionsMutex
};

} // namespace cocos2d
