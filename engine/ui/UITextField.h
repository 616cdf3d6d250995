#pragma once
// A one-line text input. A touch that begins on it gives it the keyboard focus, as does
// attachWithIME(); typed UTF-8 text is appended and backspace removes the last whole character.
// While empty it shows its placeholder in grey; with no placeholder either, it keeps a touchable
// box of one line's height and four font sizes' width. With the touch area enabled, the box that
// takes touches is the touch size instead, placed as cocos2d-x does: its anchor point on the
// field's (so from the left edge, centred in height, for an anchor of (0, 0.5)). In password
// mode it shows one mask character per character; getString still answers the real text.

#include "base/IMEDispatcher.h"
#include "ui/UIWidget.h"

#include <functional>
#include <string>

namespace cocos2d {

class Texture2D;

namespace ui {

class TextField : public Widget, public IMEDelegate {
public:
    enum class EventType { ATTACH_WITH_IME, DETACH_WITH_IME, INSERT_TEXT, DELETE_BACKWARD };
    using ccTextFieldCallback = std::function<void(Ref*, EventType)>;

    static TextField* create();
    static TextField* create(const std::string& placeholder, const std::string& fontName,
                             int fontSize);
    ~TextField() override;

    void setString(const std::string& text);
    const std::string& getString() const { return _text; }
    void setPlaceHolder(const std::string& placeholder);
    const std::string& getPlaceHolder() const { return _placeholder; }
    void setFontName(const std::string& name);
    void setFontSize(int size);
    void setPasswordEnabled(bool enabled);
    bool isPasswordEnabled() const { return _password; }
    // What the field shows: the text, its mask, or the placeholder.
    std::string getDisplayedString() const;
    void setTouchSize(const Size& size);
    Size getTouchSize() const { return _touchSize; }
    void setTouchAreaEnabled(bool enabled);

    // Takes the keyboard focus from any other field (as a touch on it would), or gives it up.
    void attachWithIME();
    void detachWithIME();
    // Whether typing goes here now.
    bool isFocused() const;
    // Told of the focus coming and going and of typing, while the field is on a running scene.
    void addEventListener(const ccTextFieldCallback& callback) { _eventCallback = callback; }
    void didAttachWithIME() override { tell(EventType::ATTACH_WITH_IME); }
    void didDetachWithIME() override { tell(EventType::DETACH_WITH_IME); }

    bool hitTest(const Vec2& worldPoint) const override;
    bool onTouchBegan(Touch* touch, Event* event) override;
    void onExit() override;
    void insertText(const std::string& utf8) override;
    void deleteBackward() override;
    void draw(Renderer& renderer, const Affine& nodeToWorld) override;

protected:
    TextField() = default;
    bool initWithPlaceHolder(const std::string& placeholder, const std::string& fontName,
                             int fontSize);
    void relayout();
    void tell(EventType type);

private:
    ccTextFieldCallback _eventCallback;
    std::string _text;
    std::string _placeholder;
    std::string _fontName = "Arial";
    float _fontSize = 20;
    bool _password = false;
    bool _useTouchArea = false;
    Size _touchSize;
    Texture2D* _texture = nullptr;
    Size _textSize; // of the text or placeholder alone
};

} // namespace ui
} // namespace cocos2d
