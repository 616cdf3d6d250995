#include "base/Director.h"

#include "2d/ActionManager.h"
#include "2d/Scene.h"
#include "2d/Transition.h"
#include "base/EventDispatcher.h"
#include "base/IMEDispatcher.h"
#include "base/Ref.h"
#include "base/Scheduler.h"
#include "platform/GLView.h"
#include "renderer/FontCache.h"
#include "renderer/Renderer.h"
#include "renderer/Texture2D.h"

#include <limits>

namespace cocos2d {

namespace {
Director* s_director = nullptr;
}

Director* Director::getInstance() {
    if (!s_director) {
        s_director = new Director();
    }
    return s_director;
}

Director* Director::getInstanceIfExists() {
    return s_director;
}

void Director::markDirty() {
    if (s_director) {
        s_director->_dirty = true;
    }
}

Director::Director()
    : _scheduler(new Scheduler()), _actionManager(new ActionManager()),
      _eventDispatcher(new EventDispatcher()), _imeDispatcher(new IMEDispatcher()),
      _textureCache(new TextureCache()) {}

Director::~Director() {
    delete _textureCache;
    delete _imeDispatcher;
    delete _eventDispatcher;
    delete _actionManager;
    delete _scheduler;
}

void Director::setOpenGLView(GLView* view) {
    if (view == _view) {
        return;
    }
    if (view) {
        view->retain();
    }
    if (_view) {
        _view->release();
    }
    _view = view;
    _dirty = true;
}

Size Director::getWinSize() const {
    return _view ? _view->getDesignResolutionSize() : Size();
}

void Director::setAnimationInterval(float seconds) {
    if (seconds > 0) {
        _animationInterval = seconds;
    }
}

void Director::stopAnimation() {
    _animationStopped = true;
}

void Director::startAnimation() {
    if (_animationStopped) {
        _animationStopped = false;
        _nextDeltaTimeZero = true; // the time spent stopped is not a frame step
        _dirty = true;
    }
}

void Director::runWithScene(Scene* scene) {
    if (!_runningScene && !_nextScene) {
        replaceScene(scene);
    }
}

void Director::replaceScene(Scene* scene) {
    if (!scene) {
        return;
    }
    scene->retain();
    if (_nextScene) {
        _nextScene->release(); // the later change wins
    }
    _nextScene = scene;
}

void Director::end() {
    _ending = true;
}

bool Director::inputBlocked() const {
    // A pending change means the running scene is on its way out: more input could make it act
    // twice (a second click in the same event poll asking for a second scene).
    return !_runningScene || _nextScene || dynamic_cast<TransitionScene*>(_runningScene) != nullptr;
}

void Director::finishTransitionNow() {
    auto* transition = dynamic_cast<TransitionScene*>(_runningScene);
    if (!transition) {
        return;
    }
    Scene* in = transition->finishNow();
    in->retain();
    transition->onExit();
    transition->cleanup();
    transition->release();
    _runningScene = in;
    _dirty = true;
}

void Director::setNextScene() {
    Scene* next = _nextScene;
    _nextScene = nullptr;
    // A change while a slide runs ends the slide at once, so the scene being left is the one
    // that was sliding in.
    finishTransitionNow();
    if (next == _runningScene) {
        next->release(); // already running (say, the scene that slid in): nothing changes
        return;
    }
    if (auto* transition = dynamic_cast<TransitionScene*>(next)) {
        transition->setOutScene(_runningScene); // the transition takes the running reference
        _runningScene = transition;
        transition->onEnter();
        _dirty = true;
        return;
    }
    if (_runningScene) {
        _runningScene->onExit();
        _runningScene->cleanup();
        _runningScene->release();
    }
    _runningScene = next;
    next->onEnter();
    _dirty = true;
}

void Director::mainLoop(float dt) {
    if (_ending) {
        purgeDirector();
        return;
    }
    ++_totalFrames;
    if (!_animationStopped) {
        if (_nextDeltaTimeZero) {
            dt = 0;
            _nextDeltaTimeZero = false;
        }
        // Actions step before the scheduled callbacks, as cocos2d-x's action manager is a
        // system-priority update: an action started by a callback (or by a touch, between
        // frames) takes its first step in the next frame.
        _actionManager->update(dt);
        _scheduler->update(dt);
        auto* transition = dynamic_cast<TransitionScene*>(_runningScene);
        if (transition && transition->isFinished()) {
            finishTransitionNow();
        }
        if (_nextScene) {
            setNextScene();
        }
        if (_dirty && _view && _runningScene) {
            render();
            _view->present();
        }
    }
    AutoreleasePool::getInstance()->clear();
}

double Director::getIdleWait() const {
    if (_ending) {
        return 0;
    }
    if (_animationStopped) {
        return std::numeric_limits<double>::infinity(); // only the window coming back restarts
    }
    const bool drawPending = _dirty && _view && _runningScene;
    if (drawPending || _nextScene || _actionManager->isAnyRunning() ||
        dynamic_cast<TransitionScene*>(_runningScene)) {
        return 0;
    }
    return _scheduler->secondsUntilNextCall();
}

void Director::render() {
    Renderer& renderer = _view->getRenderer();
    renderer.begin();
    _runningScene->visit(renderer, Affine());
    renderer.end();
    _dirty = false;
    ++_drawnFrames;
}

bool Director::saveFrame(const std::string& pngPath) {
    if (!_view || !_runningScene) {
        return false;
    }
    render();
    const bool saved = _view->saveFrame(pngPath);
    _view->present();
    return saved;
}

void Director::handleTouchBegan(const Vec2& location) {
    _dirty = true;
    if (inputBlocked()) {
        return;
    }
    _imeDispatcher->touchWillBegin();
    _eventDispatcher->dispatchTouch(EventDispatcher::TouchPhase::BEGAN, location, _runningScene);
    _imeDispatcher->touchDidBegin();
}

void Director::handleTouchMoved(const Vec2& location) {
    _dirty = true;
    if (!inputBlocked()) {
        _eventDispatcher->dispatchTouch(EventDispatcher::TouchPhase::MOVED, location,
                                        _runningScene);
    }
}

void Director::handleTouchEnded(const Vec2& location) {
    _dirty = true;
    if (!inputBlocked()) {
        _eventDispatcher->dispatchTouch(EventDispatcher::TouchPhase::ENDED, location,
                                        _runningScene);
    }
}

void Director::handleTextInput(const std::string& utf8) {
    _dirty = true;
    if (!inputBlocked()) {
        _imeDispatcher->dispatchInsertText(utf8);
    }
}

void Director::handleBackspace() {
    _dirty = true;
    if (!inputBlocked()) {
        _imeDispatcher->dispatchDeleteBackward();
    }
}

void Director::handleKeyboard(EventKeyboard* event) {
    _dirty = true;
    if (!inputBlocked()) {
        _eventDispatcher->dispatchKeyboard(event, _runningScene);
    }
}

void Director::purgeDirector() {
    if (_nextScene) {
        _nextScene->release();
        _nextScene = nullptr;
    }
    if (_runningScene) {
        finishTransitionNow();
        _runningScene->onExit();
        _runningScene->cleanup();
        _runningScene->release();
        _runningScene = nullptr;
    }
    _scheduler->unscheduleAll();
    _actionManager->removeAllActions();
    AutoreleasePool::getInstance()->clear();
    _eventDispatcher->removeAllEventListeners();
    _textureCache->removeAllTextures();
    setOpenGLView(nullptr); // the view's renderer goes last: textures above belong to it
    FontCache::purge();
    s_director = nullptr;
    delete this;
}

} // namespace cocos2d
