#include "2d/Transition.h"

#include "2d/Action.h"
#include "base/Director.h"
#include "base/EventDispatcher.h"

namespace cocos2d {

namespace {
const char* const kFinishKey = "transition_finish";
} // namespace

template <typename T>
T* TransitionScene::createTransition(float duration, Scene* scene) {
    auto* t = new (std::nothrow) T();
    if (t && t->initWithDuration(duration, scene)) {
        t->autorelease();
        return t;
    }
    delete t;
    return nullptr;
}

TransitionScene::~TransitionScene() {
    if (_slide) {
        _slide->release();
    }
    if (_inScene) {
        _inScene->release();
    }
    if (_outScene) {
        _outScene->release();
    }
}

bool TransitionScene::initWithDuration(float duration, Scene* scene) {
    if (!scene || !Scene::init()) {
        return false;
    }
    _duration = duration;
    _inScene = scene;
    _inScene->retain();
    return true;
}

void TransitionScene::onEnter() {
    Scene::onEnter();
    _eventDispatcher->setEnabled(false);
    _inScene->setPosition(startOffset());
    _inScene->onEnter();
    _slide = MoveTo::create(_duration, Vec2::ZERO);
    _slide->retain();
    _inScene->runAction(_slide);
    schedule(CC_CALLBACK_1(TransitionScene::finish, this), 0, 0, _duration, kFinishKey);
}

void TransitionScene::finish(float) {
    _inScene->setPosition(Vec2::ZERO);
    _finished = true; // the director ends the slide after this frame's callbacks
}

Scene* TransitionScene::finishNow() {
    unschedule(kFinishKey);
    if (_slide) {
        _inScene->stopAction(_slide);
    }
    _inScene->setPosition(Vec2::ZERO);
    return _inScene;
}

void TransitionScene::onExit() {
    Scene::onExit();
    _eventDispatcher->setEnabled(true);
    if (_outScene && _outScene->isRunning()) {
        _outScene->onExit();
    }
}

void TransitionScene::cleanup() {
    Scene::cleanup();
    if (_outScene) {
        _outScene->cleanup();
    }
}

void TransitionScene::visit(Renderer& renderer, const Affine& parentToWorld) {
    if (_outScene) {
        _outScene->visit(renderer, parentToWorld);
    }
    _inScene->visit(renderer, parentToWorld);
}

TransitionMoveInL* TransitionMoveInL::create(float duration, Scene* scene) {
    return createTransition<TransitionMoveInL>(duration, scene);
}

Vec2 TransitionMoveInL::startOffset() const {
    return Vec2(-Director::getInstance()->getWinSize().width, 0);
}

TransitionMoveInR* TransitionMoveInR::create(float duration, Scene* scene) {
    return createTransition<TransitionMoveInR>(duration, scene);
}

Vec2 TransitionMoveInR::startOffset() const {
    return Vec2(Director::getInstance()->getWinSize().width, 0);
}

} // namespace cocos2d
