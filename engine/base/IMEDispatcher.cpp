#include "base/IMEDispatcher.h"

#include "base/Director.h"
#include "platform/GLView.h"

namespace cocos2d {

void IMEDispatcher::attach(IMEDelegate* delegate) {
    _claimed = true;
    if (_focused != delegate) {
        IMEDelegate* previous = _focused;
        _focused = delegate;
        setKeyboard(true);
        if (previous) {
            previous->didDetachWithIME();
        }
        delegate->didAttachWithIME();
    }
}

void IMEDispatcher::detach(IMEDelegate* delegate) {
    if (_focused == delegate && delegate) {
        _focused = nullptr;
        setKeyboard(false);
        delegate->didDetachWithIME();
    }
}

void IMEDispatcher::touchDidBegin() {
    if (!_claimed) {
        detach(_focused);
    }
}

void IMEDispatcher::dispatchInsertText(const std::string& utf8) {
    if (_focused && !utf8.empty()) {
        _focused->insertText(utf8);
    }
}

void IMEDispatcher::dispatchDeleteBackward() {
    if (_focused) {
        _focused->deleteBackward();
    }
}

void IMEDispatcher::setKeyboard(bool open) {
    if (GLView* view = Director::getInstance()->getOpenGLView()) {
        view->setIMEKeyboardState(open);
    }
}

} // namespace cocos2d
