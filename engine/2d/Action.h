#pragma once
// Actions change a node over time: MoveTo, FadeIn, FadeOut, and the compositions Sequence and
// RepeatForever. An action runs on one node at a time; running it again restarts it from the
// node's current state, so one retained action can be reused.

#include "base/Ref.h"
#include "base/Types.h"

#include <cstddef>
#include <vector>

namespace cocos2d {

class Node;

class Action : public Ref {
public:
    virtual void startWithTarget(Node* target);
    virtual void stop();
    virtual bool isDone() const = 0;
    // Advances the action by dt seconds.
    virtual void step(float dt) = 0;
    Node* getTarget() const { return _target; }

protected:
    Node* _target = nullptr;
};

class FiniteTimeAction : public Action {
public:
    float getDuration() const { return _duration; }

protected:
    float _duration = 0;
};

// An action spread over its duration; update() receives the elapsed fraction, 0 to 1.
class ActionInterval : public FiniteTimeAction {
public:
    void startWithTarget(Node* target) override;
    bool isDone() const override;
    void step(float dt) override;
    // Time run past the end, for the composition that starts the next action.
    double getOvershoot() const { return _elapsed - _duration; }

protected:
    virtual void update(float progress) = 0;
    double _elapsed = 0;
};

class MoveTo : public ActionInterval {
public:
    static MoveTo* create(float duration, const Vec2& position);
    void startWithTarget(Node* target) override;

protected:
    void update(float progress) override;

private:
    Vec2 _start;
    Vec2 _end;
};

// From the node's opacity at start to a fixed one; the base of FadeIn and FadeOut.
class FadeTo : public ActionInterval {
public:
    void startWithTarget(Node* target) override;

protected:
    FadeTo(float duration, uint8_t opacity);
    void update(float progress) override;

private:
    uint8_t _from = 0;
    uint8_t _to;
};

class FadeIn : public FadeTo {
public:
    static FadeIn* create(float duration);

private:
    using FadeTo::FadeTo;
};

class FadeOut : public FadeTo {
public:
    static FadeOut* create(float duration);

private:
    using FadeTo::FadeTo;
};

class Sequence : public ActionInterval {
public:
    // The actions one after the other; the list ends with nullptr.
    static Sequence* create(FiniteTimeAction* action1, ...);
    ~Sequence() override;
    void startWithTarget(Node* target) override;
    void stop() override;
    bool isDone() const override;
    void step(float dt) override;

protected:
    void update(float) override {}

private:
    Sequence() = default;
    std::vector<FiniteTimeAction*> _actions;
    size_t _current = 0;
    bool _currentStarted = false;
};

class RepeatForever : public ActionInterval {
public:
    static RepeatForever* create(ActionInterval* action);
    ~RepeatForever() override;
    void startWithTarget(Node* target) override;
    void stop() override;
    bool isDone() const override { return false; }
    void step(float dt) override;

protected:
    void update(float) override {}

private:
    RepeatForever() = default;
    ActionInterval* _inner = nullptr;
};

} // namespace cocos2d
