#pragma once
// A line (or, with a text area, a block) of text in a font named by family or file, drawn in
// the node's colour. Without a text area the content size is the text's size; with one, the
// text wraps to the area's width, sits at its top left, and the content size is the area (a
// height of 0 takes the text's height).

#include "ui/UIWidget.h"

#include <string>

namespace cocos2d {

class Texture2D;

namespace ui {

class Text : public Widget {
public:
    static Text* create();
    static Text* create(const std::string& text, const std::string& fontName, float fontSize);
    ~Text() override;

    void setString(const std::string& text);
    const std::string& getString() const { return _text; }
    void setFontName(const std::string& name);
    const std::string& getFontName() const { return _fontName; }
    void setFontSize(float size);
    float getFontSize() const { return _fontSize; }
    void setTextAreaSize(const Size& size);

    void draw(Renderer& renderer, const Affine& nodeToWorld) override;

protected:
    Text() = default;
    bool initWithText(const std::string& text, const std::string& fontName, float fontSize);
    void relayout();

private:
    std::string _text;
    std::string _fontName = "Arial";
    float _fontSize = 10;
    Size _area;
    Texture2D* _texture = nullptr;
    Size _textSize;
};

} // namespace ui
} // namespace cocos2d
