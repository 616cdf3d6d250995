#pragma once
// The base of the UI widgets: a node that takes touches on its own rectangle. A touch that
// begins on a visible widget (all its ancestors visible too) is the widget's and hidden from
// what lies behind; the widget then reports began, moved, and ended when the touch is released
// on it, or cancelled when released elsewhere. While a touch it took is held on it, the widget is
// highlighted (a touch that slides off takes the highlight away, sliding back gives it back).

#include "2d/Node.h"

#include <functional>

namespace cocos2d {

class Touch;
class Event;
class EventListenerTouchOneByOne;

namespace ui {

typedef enum {
    TOUCH_EVENT_BEGAN,
    TOUCH_EVENT_MOVED,
    TOUCH_EVENT_ENDED,
    TOUCH_EVENT_CANCELED
} TouchEventType;

typedef void (Ref::*SEL_TouchEvent)(Ref*, TouchEventType);
#define toucheventselector(_SELECTOR) (cocos2d::ui::SEL_TouchEvent)(&_SELECTOR)

class Widget : public Node {
public:
    enum class TouchEventType { BEGAN, MOVED, ENDED, CANCELED };
    enum class TextureResType { LOCAL = 0 };
    using ccWidgetTouchCallback = std::function<void(Ref*, Widget::TouchEventType)>;

    ~Widget() override;

    // The handler of the widget's touches: a member of `target`, or a function.
    void addTouchEventListener(Ref* target, SEL_TouchEvent selector);
    void addTouchEventListener(const ccWidgetTouchCallback& callback);

    void setTouchEnabled(bool enabled);
    bool isTouchEnabled() const { return _touchListener != nullptr; }
    virtual bool hitTest(const Vec2& worldPoint) const;
    bool isHighlighted() const { return _highlighted; }

    virtual bool onTouchBegan(Touch* touch, Event* event);
    virtual void onTouchMoved(Touch* touch, Event* event);
    virtual void onTouchEnded(Touch* touch, Event* event);
    void onExit() override;

protected:
    Widget();
    bool isShownWithAncestors() const;
    void report(TouchEventType type);
    void setHighlighted(bool highlighted);

private:
    EventListenerTouchOneByOne* _touchListener = nullptr;
    Ref* _selectorTarget = nullptr;
    SEL_TouchEvent _selector = nullptr;
    ccWidgetTouchCallback _callback;
    bool _highlighted = false;
};

} // namespace ui
} // namespace cocos2d
