#include "base/Scheduler.h"

#include "base/Macros.h"
#include "base/Ref.h"

#include <SDL_events.h>
#include <algorithm>
#include <limits>

namespace cocos2d {

namespace {
// Frame steps are floats summed over many frames; this absorbs their rounding so that sixty
// steps of 1/60 s reach a one-second mark.
constexpr double kSlack = 1e-6;
} // namespace

struct Scheduler::Timer {
    void* target = nullptr;
    std::string key;
    SEL_SCHEDULE selector = nullptr;
    ccSchedulerFunc callback;
    double interval = 0;
    double delay = 0;
    unsigned int repeat = 0;
    bool forever = false;
    bool useDelay = false;
    bool paused = false;
    bool dead = false;
    unsigned int timesExecuted = 0;
    double elapsed = 0;

    void fire(float dt) {
        if (selector) {
            (static_cast<Ref*>(target)->*selector)(dt);
        } else {
            // A copy: the callback may unschedule itself and so destroy the stored one.
            ccSchedulerFunc call = callback;
            call(dt);
        }
    }
};

Scheduler::Scheduler() = default;
Scheduler::~Scheduler() = default;

Scheduler::Timer& Scheduler::add(void* target, float interval, unsigned int repeat, float delay,
                                 bool paused) {
    auto timer = std::make_shared<Timer>();
    timer->target = target;
    timer->interval = std::max(0.0, static_cast<double>(interval));
    timer->repeat = repeat;
    timer->delay = delay;
    timer->paused = paused;
    timer->forever = repeat == CC_REPEAT_FOREVER;
    timer->useDelay = delay > 0;
    _timers.push_back(std::move(timer));
    return *_timers.back();
}

void Scheduler::schedule(const ccSchedulerFunc& callback, void* target, float interval,
                         unsigned int repeat, float delay, bool paused, const std::string& key) {
    if (!callback || !target) {
        return;
    }
    unschedule(key, target);
    Timer& timer = add(target, interval, repeat, delay, paused);
    timer.key = key;
    timer.callback = callback;
}

void Scheduler::schedule(SEL_SCHEDULE selector, Ref* target, float interval, unsigned int repeat,
                         float delay, bool paused) {
    if (!selector || !target) {
        return;
    }
    unschedule(selector, target);
    add(target, interval, repeat, delay, paused).selector = selector;
}

void Scheduler::unschedule(const std::string& key, void* target) {
    for (auto& t : _timers) {
        if (t->target == target && !t->selector && t->key == key) {
            t->dead = true;
        }
    }
    purgeDead();
}

void Scheduler::unschedule(SEL_SCHEDULE selector, Ref* target) {
    for (auto& t : _timers) {
        if (t->target == target && t->selector == selector) {
            t->dead = true;
        }
    }
    purgeDead();
}

void Scheduler::unscheduleAllForTarget(void* target) {
    for (auto& t : _timers) {
        if (t->target == target) {
            t->dead = true;
        }
    }
    purgeDead();
}

void Scheduler::unscheduleAll() {
    for (auto& t : _timers) {
        t->dead = true;
    }
    purgeDead();
}

bool Scheduler::isScheduled(const std::string& key, const void* target) const {
    return std::any_of(_timers.begin(), _timers.end(), [&](const std::shared_ptr<Timer>& t) {
        return !t->dead && t->target == target && !t->selector && t->key == key;
    });
}

void Scheduler::pauseTarget(void* target) {
    for (auto& t : _timers) {
        if (t->target == target) {
            t->paused = true;
        }
    }
}

void Scheduler::resumeTarget(void* target) {
    for (auto& t : _timers) {
        if (t->target == target) {
            t->paused = false;
        }
    }
}

bool Scheduler::isTargetPaused(const void* target) const {
    bool any = false;
    for (const auto& t : _timers) {
        if (t->target == target && !t->dead) {
            if (!t->paused) {
                return false;
            }
            any = true;
        }
    }
    return any;
}

void Scheduler::purgeDead() {
    // While updating, the loop holds its own list; dead timers are dropped once it is done.
    if (_updating) {
        return;
    }
    _timers.erase(std::remove_if(_timers.begin(), _timers.end(),
                                 [](const std::shared_ptr<Timer>& t) { return t->dead; }),
                  _timers.end());
}

void Scheduler::advance(Timer& t, double dt) {
    t.elapsed += dt;
    auto finished = [&t] { return !t.forever && t.timesExecuted > t.repeat; };
    if (t.useDelay) {
        if (t.elapsed + kSlack < t.delay) {
            return;
        }
        t.fire(static_cast<float>(t.delay));
        t.elapsed -= t.delay;
        ++t.timesExecuted;
        t.useDelay = false;
        if (finished()) {
            t.dead = true;
            return;
        }
    }
    if (t.dead) {
        return;
    }
    const double interval = t.interval > 0 ? t.interval : t.elapsed;
    while (t.elapsed + kSlack >= interval) {
        t.fire(static_cast<float>(interval));
        t.elapsed -= interval;
        ++t.timesExecuted;
        if (finished()) {
            t.dead = true;
        }
        if (t.dead || t.elapsed <= kSlack) {
            break;
        }
    }
}

void Scheduler::performFunctionInCocosThread(std::function<void()> function) {
    {
        std::lock_guard<std::mutex> lock(_functionsMutex);
        _functions.push_back(std::move(function));
    }
    // Ends a wait for input; without SDL's event queue (headless) nothing waits on it.
    SDL_Event wake{};
    wake.type = SDL_USEREVENT;
    SDL_PushEvent(&wake);
}

void Scheduler::update(float dt) {
    std::vector<std::function<void()>> functions;
    {
        std::lock_guard<std::mutex> lock(_functionsMutex);
        functions.swap(_functions);
    }
    for (const auto& function : functions) {
        function();
    }
    const bool outer = !_updating;
    _updating = true;
    const std::vector<std::shared_ptr<Timer>> current = _timers;
    for (const auto& t : current) {
        if (!t->dead && !t->paused) {
            advance(*t, dt);
        }
    }
    if (outer) {
        _updating = false;
        purgeDead();
    }
}

double Scheduler::secondsUntilNextCall() const {
    {
        std::lock_guard<std::mutex> lock(_functionsMutex);
        if (!_functions.empty()) {
            return 0;
        }
    }
    double soonest = std::numeric_limits<double>::infinity();
    for (const auto& t : _timers) {
        if (!t->dead && !t->paused) {
            const double due = t->useDelay ? t->delay : t->interval;
            soonest = std::min(soonest, std::max(0.0, due - t->elapsed));
        }
    }
    return soonest;
}

} // namespace cocos2d
