#include "ui/UIText.h"

#include "base/Director.h"
#include "renderer/FontCache.h"
#include "renderer/Renderer.h"
#include "renderer/Texture2D.h"

namespace cocos2d {
namespace ui {

Text* Text::create() {
    return create("", "Arial", 10);
}

Text* Text::create(const std::string& text, const std::string& fontName, float fontSize) {
    auto* label = new (std::nothrow) Text();
    if (label && label->initWithText(text, fontName, fontSize)) {
        label->autorelease();
        return label;
    }
    delete label;
    return nullptr;
}

Text::~Text() {
    if (_texture) {
        _texture->release();
    }
}

bool Text::initWithText(const std::string& text, const std::string& fontName, float fontSize) {
    if (!Node::init()) {
        return false;
    }
    _text = text;
    _fontName = fontName;
    _fontSize = fontSize;
    relayout();
    return true;
}

void Text::setString(const std::string& text) {
    if (text != _text) {
        _text = text;
        relayout();
    }
}

void Text::setFontName(const std::string& name) {
    if (name != _fontName) {
        _fontName = name;
        relayout();
    }
}

void Text::setFontSize(float size) {
    if (size != _fontSize) {
        _fontSize = size;
        relayout();
    }
}

void Text::setTextAreaSize(const Size& size) {
    if (size != _area) {
        _area = size;
        relayout();
    }
}

void Text::relayout() {
    RenderedText rendered = renderText(_text, _fontName, _fontSize, _area.width);
    if (_texture) {
        _texture->release();
    }
    _texture = rendered.texture;
    _textSize = rendered.size;
    setContentSize(Size(_area.width > 0 ? _area.width : _textSize.width,
                        _area.height > 0 ? _area.height : _textSize.height));
    Director::markDirty();
}

void Text::draw(Renderer& renderer, const Affine& nodeToWorld) {
    // Top left of the content box; text taller than a fixed area runs out below it.
    const float top = _contentSize.height;
    renderer.drawTexture(_texture, nodeToWorld,
                         Rect(0, top - _textSize.height, _textSize.width, _textSize.height), _color,
                         _opacity);
}

} // namespace ui
} // namespace cocos2d
