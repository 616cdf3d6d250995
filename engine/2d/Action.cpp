#include "2d/Action.h"

#include "2d/Node.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <new>

namespace cocos2d {

namespace {
constexpr double kSlack = 1e-6; // see Scheduler.cpp: float frame steps summed

template <typename T>
T* autoreleased(T* object) {
    if (object) {
        object->autorelease();
    }
    return object;
}
} // namespace

void Action::startWithTarget(Node* target) {
    _target = target;
}

void Action::stop() {
    _target = nullptr;
}

void ActionInterval::startWithTarget(Node* target) {
    Action::startWithTarget(target);
    _elapsed = 0;
}

bool ActionInterval::isDone() const {
    return _elapsed + kSlack >= _duration;
}

void ActionInterval::step(float dt) {
    _elapsed += dt;
    update(isDone() ? 1.0f : static_cast<float>(_elapsed / _duration));
}

MoveTo* MoveTo::create(float duration, const Vec2& position) {
    auto* action = new (std::nothrow) MoveTo();
    if (action) {
        action->_duration = duration;
        action->_end = position;
    }
    return autoreleased(action);
}

void MoveTo::startWithTarget(Node* target) {
    ActionInterval::startWithTarget(target);
    _start = target->getPosition();
}

void MoveTo::update(float progress) {
    if (_target) {
        _target->setPosition(progress >= 1.0f ? _end : _start + (_end - _start) * progress);
    }
}

FadeTo::FadeTo(float duration, uint8_t opacity) : _to(opacity) {
    _duration = duration;
}

void FadeTo::startWithTarget(Node* target) {
    ActionInterval::startWithTarget(target);
    _from = target->getOpacity();
}

void FadeTo::update(float progress) {
    if (_target) {
        _target->setOpacity(static_cast<uint8_t>(std::lround(_from + (_to - _from) * progress)));
    }
}

FadeIn* FadeIn::create(float duration) {
    return autoreleased(new (std::nothrow) FadeIn(duration, 255));
}

FadeOut* FadeOut::create(float duration) {
    return autoreleased(new (std::nothrow) FadeOut(duration, 0));
}

Sequence* Sequence::create(FiniteTimeAction* action1, ...) {
    auto* sequence = new (std::nothrow) Sequence();
    if (!sequence) {
        return nullptr;
    }
    va_list args;
    va_start(args, action1);
    for (FiniteTimeAction* a = action1; a; a = va_arg(args, FiniteTimeAction*)) {
        a->retain();
        sequence->_actions.push_back(a);
        sequence->_duration += a->getDuration();
    }
    va_end(args);
    return autoreleased(sequence);
}

Sequence::~Sequence() {
    for (auto* a : _actions) {
        a->release();
    }
}

void Sequence::startWithTarget(Node* target) {
    ActionInterval::startWithTarget(target);
    _current = 0;
    _currentStarted = false;
}

void Sequence::stop() {
    if (_current < _actions.size() && _currentStarted) {
        _actions[_current]->stop();
    }
    ActionInterval::stop();
}

bool Sequence::isDone() const {
    return _current >= _actions.size();
}

void Sequence::step(float dt) {
    _elapsed += dt;
    double remaining = dt;
    while (_current < _actions.size()) {
        FiniteTimeAction* a = _actions[_current];
        if (!_currentStarted) {
            a->startWithTarget(_target);
            _currentStarted = true;
        }
        a->step(static_cast<float>(remaining));
        if (!a->isDone()) {
            break;
        }
        auto* interval = dynamic_cast<ActionInterval*>(a);
        remaining = interval ? interval->getOvershoot() : 0.0;
        if (remaining < kSlack) {
            remaining = 0; // rounding of the summed steps, not time
        }
        a->stop();
        ++_current;
        _currentStarted = false;
    }
}

RepeatForever* RepeatForever::create(ActionInterval* action) {
    if (!action) {
        return nullptr;
    }
    auto* repeat = new (std::nothrow) RepeatForever();
    if (repeat) {
        action->retain();
        repeat->_inner = action;
    }
    return autoreleased(repeat);
}

RepeatForever::~RepeatForever() {
    if (_inner) {
        _inner->release();
    }
}

void RepeatForever::startWithTarget(Node* target) {
    ActionInterval::startWithTarget(target);
    _inner->startWithTarget(target);
}

void RepeatForever::stop() {
    _inner->stop();
    ActionInterval::stop();
}

void RepeatForever::step(float dt) {
    _inner->step(dt);
    if (_inner->isDone() && _inner->getDuration() > 0) {
        double overshoot = _inner->getOvershoot();
        overshoot = overshoot < kSlack ? 0 : overshoot;
        _inner->startWithTarget(_target);
        if (overshoot > 0) {
            _inner->step(static_cast<float>(overshoot));
        }
    }
}

} // namespace cocos2d
