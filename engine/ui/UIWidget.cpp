#include "ui/UIWidget.h"

#include "base/Director.h"
#include "base/EventDispatcher.h"

namespace cocos2d {
namespace ui {

Widget::Widget() {
    _anchorPoint = Vec2(0.5f, 0.5f);
}

Widget::~Widget() {
    if (_touchListener) {
        // Only a live director can still hold the listener (tests purge directors).
        if (Director* director = Director::getInstanceIfExists()) {
            director->getEventDispatcher()->removeEventListener(_touchListener);
        }
        _touchListener->release();
    }
}

void Widget::addTouchEventListener(Ref* target, SEL_TouchEvent selector) {
    _selectorTarget = target;
    _selector = selector;
}

void Widget::addTouchEventListener(const ccWidgetTouchCallback& callback) {
    _callback = callback;
}

void Widget::setTouchEnabled(bool enabled) {
    if (enabled == isTouchEnabled()) {
        return;
    }
    if (enabled) {
        _touchListener = EventListenerTouchOneByOne::create();
        _touchListener->retain();
        _touchListener->setSwallowTouches(true);
        _touchListener->onTouchBegan = [this](Touch* t, Event* e) { return onTouchBegan(t, e); };
        _touchListener->onTouchMoved = [this](Touch* t, Event* e) { onTouchMoved(t, e); };
        _touchListener->onTouchEnded = [this](Touch* t, Event* e) { onTouchEnded(t, e); };
        _eventDispatcher->addEventListenerWithSceneGraphPriority(_touchListener, this);
    } else {
        _eventDispatcher->removeEventListener(_touchListener);
        _touchListener->release();
        _touchListener = nullptr;
    }
}

bool Widget::isShownWithAncestors() const {
    for (const Node* n = this; n; n = n->getParent()) {
        if (!n->isVisible()) {
            return false;
        }
    }
    return true;
}

bool Widget::hitTest(const Vec2& worldPoint) const {
    const Vec2 local = convertToNodeSpace(worldPoint);
    return Rect(0, 0, _contentSize.width, _contentSize.height).containsPoint(local);
}

bool Widget::onTouchBegan(Touch* touch, Event*) {
    if (!isShownWithAncestors() || !hitTest(touch->getLocation())) {
        return false;
    }
    setHighlighted(true);
    report(TouchEventType::BEGAN);
    return true;
}

void Widget::onTouchMoved(Touch* touch, Event*) {
    setHighlighted(hitTest(touch->getLocation()));
    report(TouchEventType::MOVED);
}

void Widget::onTouchEnded(Touch* touch, Event*) {
    setHighlighted(false);
    report(hitTest(touch->getLocation()) ? TouchEventType::ENDED : TouchEventType::CANCELED);
}

void Widget::onExit() {
    setHighlighted(false); // its touch, if one is held, will not reach it any more
    Node::onExit();
}

void Widget::setHighlighted(bool highlighted) {
    if (highlighted != _highlighted) {
        _highlighted = highlighted;
        Director::markDirty();
    }
}

void Widget::report(TouchEventType type) {
    // The handler may remove this widget (and so free it) while it runs.
    retain();
    if (_callback) {
        auto callback = _callback;
        callback(this, type);
    }
    if (_selectorTarget && _selector) {
        (_selectorTarget->*_selector)(this, static_cast<ui::TouchEventType>(type));
    }
    release();
}

} // namespace ui
} // namespace cocos2d
