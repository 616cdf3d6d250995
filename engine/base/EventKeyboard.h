#pragma once
// Keys, as cocos2d-x delivers them: an EventKeyboard for each press and release, heard by every
// EventListenerKeyboard of the running scene's nodes, front-most node first, until one calls
// stopPropagation(). A key reaches the listeners also while a text field has the focus (it
// still takes the typed text). cocos2d-x has no modifier state; the event here carries whether
// a Shift or Ctrl key was held, tracked by the view from every press and release it saw (also
// from those dropped during a slide), so scene code need not follow them itself.

#include "base/EventDispatcher.h"

#include <functional>

namespace cocos2d {

class EventKeyboard : public Event {
public:
    enum class KeyCode {
        KEY_NONE,
        KEY_ESCAPE,
        KEY_BACKSPACE,
        KEY_TAB,
        KEY_ENTER,
        KEY_KP_ENTER,
        KEY_SPACE,
        KEY_LEFT_SHIFT,
        KEY_RIGHT_SHIFT,
        KEY_LEFT_CTRL,
        KEY_RIGHT_CTRL,
        KEY_LEFT_ARROW,
        KEY_RIGHT_ARROW,
        KEY_UP_ARROW,
        KEY_DOWN_ARROW,
        // The letters, in order.
        KEY_A,
        KEY_B,
        KEY_C,
        KEY_D,
        KEY_E,
        KEY_F,
        KEY_G,
        KEY_H,
        KEY_I,
        KEY_J,
        KEY_K,
        KEY_L,
        KEY_M,
        KEY_N,
        KEY_O,
        KEY_P,
        KEY_Q,
        KEY_R,
        KEY_S,
        KEY_T,
        KEY_U,
        KEY_V,
        KEY_W,
        KEY_X,
        KEY_Y,
        KEY_Z,
        // cocos2d-x's names for the left-hand keys.
        KEY_SHIFT = KEY_LEFT_SHIFT,
        KEY_CTRL = KEY_LEFT_CTRL,
    };

    EventKeyboard(KeyCode keyCode, bool isPressed, bool shiftDown = false, bool ctrlDown = false)
        : _keyCode(keyCode), _isPressed(isPressed), _shiftDown(shiftDown), _ctrlDown(ctrlDown) {}
    KeyCode getKeyCode() const { return _keyCode; }
    bool isPressed() const { return _isPressed; }
    // Whether either Shift (or Ctrl) key was held, this key included when it is one.
    bool isShiftDown() const { return _shiftDown; }
    bool isCtrlDown() const { return _ctrlDown; }

private:
    KeyCode _keyCode;
    bool _isPressed;
    bool _shiftDown;
    bool _ctrlDown;
};

class EventListenerKeyboard : public EventListener {
public:
    static EventListenerKeyboard* create();

    // The event is the EventKeyboard; cast it to read the modifiers.
    std::function<void(EventKeyboard::KeyCode, Event*)> onKeyPressed;
    std::function<void(EventKeyboard::KeyCode, Event*)> onKeyReleased;

private:
    EventListenerKeyboard() = default;
};

} // namespace cocos2d
