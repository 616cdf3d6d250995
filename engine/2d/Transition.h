#pragma once
// Scene changes that slide the new scene in over the old one. While a transition runs, the
// old scene keeps running underneath, no touch or typed text reaches either scene, and at its
// end the new scene becomes the running scene and the old one is cleaned up (its actions and
// scheduled callbacks stop).

#include "2d/Scene.h"

namespace cocos2d {

class TransitionScene : public Scene {
public:
    ~TransitionScene() override;
    Scene* getInScene() const { return _inScene; }

    void onEnter() override;
    void onExit() override;
    void cleanup() override;
    void visit(Renderer& renderer, const Affine& parentToWorld) override;

    // Director side: the scene being left (the transition takes over the reference), whether the
    // slide has run its full time, and an immediate end of the slide that returns the scene slid
    // in. The end of a slide is not a scene change request: a change asked for in the same
    // frame still happens, after the slide ends.
    void setOutScene(Scene* scene) { _outScene = scene; }
    bool isFinished() const { return _finished; }
    Scene* finishNow();

protected:
    TransitionScene() = default;
    bool initWithDuration(float duration, Scene* scene);
    template <typename T>
    static T* createTransition(float duration, Scene* scene);
    // Where the new scene starts, relative to its final place.
    virtual Vec2 startOffset() const = 0;

private:
    void finish(float);
    Scene* _inScene = nullptr;
    Scene* _outScene = nullptr;
    Action* _slide = nullptr;
    float _duration = 0;
    bool _finished = false;
};

// The new scene slides in from the left.
class TransitionMoveInL : public TransitionScene {
public:
    static TransitionMoveInL* create(float duration, Scene* scene);

protected:
    Vec2 startOffset() const override;
};

// The new scene slides in from the right.
class TransitionMoveInR : public TransitionScene {
public:
    static TransitionMoveInR* create(float duration, Scene* scene);

protected:
    Vec2 startOffset() const override;
};

} // namespace cocos2d
