#pragma once
// Keyboard text for the one text field that has the focus. A field takes the focus when a touch
// begins on it; a touch that begins anywhere else takes the focus away.

#include <string>

namespace cocos2d {

class IMEDelegate {
public:
    virtual void insertText(const std::string& utf8) = 0;
    virtual void deleteBackward() = 0;
    // The focus came or went, by a touch, by code or by another field taking it.
    virtual void didAttachWithIME() {}
    virtual void didDetachWithIME() {}

protected:
    ~IMEDelegate() = default;
};

class IMEDispatcher {
public:
    void attach(IMEDelegate* delegate);
    void detach(IMEDelegate* delegate);
    IMEDelegate* focused() const { return _focused; }

    // Called around the delivery of a new touch: a touch that no field claimed clears the focus.
    void touchWillBegin() { _claimed = false; }
    void touchDidBegin();

    void dispatchInsertText(const std::string& utf8);
    void dispatchDeleteBackward();

private:
    void setKeyboard(bool open);
    IMEDelegate* _focused = nullptr;
    bool _claimed = false;
};

} // namespace cocos2d
