#pragma once
// The director: one per process, on the main thread. It owns the scheduler, the action manager,
// the touch dispatcher, the texture cache and the view; it holds the running scene and runs the
// frame: input already delivered, actions advance, then scheduled callbacks, a slide that has
// run its time ends, a pending scene change takes effect, and the scene is drawn if anything
// visible changed since the last draw.

#include "base/Types.h"

#include <string>

namespace cocos2d {

class ActionManager;
class EventDispatcher;
class EventKeyboard;
class GLView;
class IMEDispatcher;
class Scene;
class Scheduler;
class TextureCache;

class Director {
public:
    static Director* getInstance();
    // Null when no director exists (none made yet, or purged).
    static Director* getInstanceIfExists();
    // Something visible changed: the next frame draws.
    static void markDirty();

    void setOpenGLView(GLView* view);
    GLView* getOpenGLView() const { return _view; }
    // The design resolution size (the frame size until a design resolution is set).
    Size getWinSize() const;
    // Statistics are never drawn; the call exists so that start-up code reads as usual.
    void setDisplayStats(bool) {}
    void setAnimationInterval(float seconds);
    float getAnimationInterval() const { return _animationInterval; }
    // Stops and restarts the frames: while stopped nothing is drawn and nothing scheduled runs.
    void stopAnimation();
    void startAnimation();
    bool isAnimationStopped() const { return _animationStopped; }

    void runWithScene(Scene* scene);
    // Takes effect in the next frame, after that frame's scheduled callbacks; of several
    // requests before then, the last wins. Until then no input reaches the running scene.
    void replaceScene(Scene* scene);
    Scene* getRunningScene() const { return _runningScene; }
    // Ends the main loop; the director is purged at the next frame.
    void end();
    bool isEnding() const { return _ending; }
    // Releases every scene, texture and the view, and destroys the director.
    void purgeDirector();

    Scheduler* getScheduler() const { return _scheduler; }
    ActionManager* getActionManager() const { return _actionManager; }
    EventDispatcher* getEventDispatcher() const { return _eventDispatcher; }
    IMEDispatcher* getIMEDispatcher() const { return _imeDispatcher; }
    TextureCache* getTextureCache() const { return _textureCache; }

    // One frame of dt seconds (the main loop and the test harness call this).
    void mainLoop(float dt);
    // Input, from the view (or the harness), in design coordinates.
    void handleTouchBegan(const Vec2& location);
    void handleTouchMoved(const Vec2& location);
    void handleTouchEnded(const Vec2& location);
    void handleTextInput(const std::string& utf8);
    void handleBackspace();
    void handleKeyboard(EventKeyboard* event);

    // How long the main loop may wait for input before the next frame has work: 0 while
    // anything animates (an action, a slide, a scene change, something to draw, the end), else
    // the time until the next scheduled callback; infinity with none, or while stopped.
    double getIdleWait() const;
    // How many frames ran so far, and how many of them were drawn: a frame with nothing
    // changed draws nothing.
    unsigned int getTotalFrames() const { return _totalFrames; }
    unsigned long getDrawnFrames() const { return _drawnFrames; }
    // Draws the current scene now and saves the picture as PNG.
    bool saveFrame(const std::string& pngPath);

private:
    Director();
    ~Director();
    Director(const Director&) = delete;
    Director& operator=(const Director&) = delete;

    void setNextScene();
    void finishTransitionNow();
    bool inputBlocked() const;
    void render();

    Scheduler* _scheduler;
    ActionManager* _actionManager;
    EventDispatcher* _eventDispatcher;
    IMEDispatcher* _imeDispatcher;
    TextureCache* _textureCache;
    GLView* _view = nullptr;
    Scene* _runningScene = nullptr;
    Scene* _nextScene = nullptr;
    float _animationInterval = 1.0f / 60;
    bool _animationStopped = false;
    bool _nextDeltaTimeZero = false;
    bool _ending = false;
    bool _dirty = true;
    unsigned int _totalFrames = 0;
    unsigned long _drawnFrames = 0;
};

} // namespace cocos2d
