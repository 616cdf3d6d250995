#pragma once
// A one-line text input. A touch that begins on it gives it the keyboard focus; typed UTF-8 text
// is appended and backspace removes the last whole character. While empty it shows its
// placeholder in grey; with no placeholder either, it keeps a touchable box of one line's height
// and four font sizes' width. In password mode it shows one mask character per character;
// getString still answers the real text.

#include "base/IMEDispatcher.h"
#include "ui/UIWidget.h"

#include <string>

namespace cocos2d {

class Texture2D;

namespace ui {

class TextField : public Widget, public IMEDelegate {
public:
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

private:
    std::string _text;
    std::string _placeholder;
    std::string _fontName = "Arial";
    float _fontSize = 20;
    bool _password = false;
    Texture2D* _texture = nullptr;
    Size _textSize; // of the text or placeholder alone
};

} // namespace ui
} // namespace cocos2d
