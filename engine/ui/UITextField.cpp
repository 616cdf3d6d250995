#include "ui/UITextField.h"

#include "base/Director.h"
#include "renderer/FontCache.h"
#include "renderer/Renderer.h"
#include "renderer/Texture2D.h"

#include <algorithm>

namespace cocos2d {
namespace ui {

namespace {
const char* const kMask = "*";
// A field that shows nothing (no text, no placeholder) is still a box a player can touch: the
// font's line height and this many font sizes across.
constexpr float kEmptyWidthInFontSizes = 4;
// Room before the text, so that a label ending right where a field begins does not run into
// what is typed.
constexpr float kInsetInFontSizes = 0.3f;
// The caret that shows which field takes the typing: a bar this wide, a font size high.
constexpr float kCaretWidth = 2;

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
} // namespace

TextField* TextField::create() {
    return create("", "Arial", 20);
}

TextField* TextField::create(const std::string& placeholder, const std::string& fontName,
                             int fontSize) {
    auto* field = new (std::nothrow) TextField();
    if (field && field->initWithPlaceHolder(placeholder, fontName, fontSize)) {
        field->autorelease();
        return field;
    }
    delete field;
    return nullptr;
}

TextField::~TextField() {
    if (Director* director = Director::getInstanceIfExists()) {
        director->getIMEDispatcher()->detach(this);
    }
    if (_texture) {
        _texture->release();
    }
}

bool TextField::initWithPlaceHolder(const std::string& placeholder, const std::string& fontName,
                                    int fontSize) {
    if (!Node::init()) {
        return false;
    }
    _placeholder = placeholder;
    _fontName = fontName;
    _fontSize = static_cast<float>(fontSize);
    setTouchEnabled(true);
    relayout();
    return true;
}

std::string TextField::getDisplayedString() const {
    if (_text.empty()) {
        return _placeholder;
    }
    if (!_password) {
        return _text;
    }
    std::string mask;
    for (char c : _text) {
        if (!isContinuationByte(c)) {
            mask += kMask;
        }
    }
    return mask;
}

void TextField::relayout() {
    RenderedText rendered = renderText(getDisplayedString(), _fontName, _fontSize, 0);
    if (_texture) {
        _texture->release();
    }
    _texture = rendered.texture;
    _textSize = rendered.size;
    Size size = _textSize;
    if (size.width <= 0) {
        size = Size(_fontSize * kEmptyWidthInFontSizes, std::max(size.height, _fontSize));
    }
    size.width += _fontSize * kInsetInFontSizes;
    setContentSize(size);
    Director::markDirty();
}

void TextField::setString(const std::string& text) {
    _text = text;
    relayout();
}

void TextField::setPlaceHolder(const std::string& placeholder) {
    _placeholder = placeholder;
    relayout();
}

void TextField::setFontName(const std::string& name) {
    _fontName = name;
    relayout();
}

void TextField::setFontSize(int size) {
    _fontSize = static_cast<float>(size);
    relayout();
}

void TextField::setPasswordEnabled(bool enabled) {
    _password = enabled;
    relayout();
}

void TextField::setTouchSize(const Size& size) {
    _touchSize = size;
}

void TextField::setTouchAreaEnabled(bool enabled) {
    _useTouchArea = enabled;
}

bool TextField::hitTest(const Vec2& worldPoint) const {
    if (!_useTouchArea) {
        return Widget::hitTest(worldPoint);
    }
    const Rect area((_contentSize.width - _touchSize.width) * _anchorPoint.x,
                    (_contentSize.height - _touchSize.height) * _anchorPoint.y, _touchSize.width,
                    _touchSize.height);
    return area.containsPoint(convertToNodeSpace(worldPoint));
}

void TextField::attachWithIME() {
    Director::getInstance()->getIMEDispatcher()->attach(this);
    Director::markDirty(); // the caret moves
}

void TextField::detachWithIME() {
    Director::getInstance()->getIMEDispatcher()->detach(this);
    Director::markDirty();
}

bool TextField::isFocused() const {
    Director* director = Director::getInstanceIfExists();
    return director && director->getIMEDispatcher()->focused() == this;
}

bool TextField::onTouchBegan(Touch* touch, Event* event) {
    if (!Widget::onTouchBegan(touch, event)) {
        return false;
    }
    attachWithIME();
    return true;
}

// A field leaving the screen gives the focus up without telling anyone: its owner is leaving too.
void TextField::onExit() {
    Widget::onExit();
    Director::getInstance()->getIMEDispatcher()->detach(this);
}

void TextField::tell(EventType type) {
    if (_eventCallback && isRunning()) {
        _eventCallback(this, type);
    }
}

void TextField::insertText(const std::string& utf8) {
    _text += utf8;
    relayout();
    tell(EventType::INSERT_TEXT);
}

void TextField::deleteBackward() {
    if (_text.empty()) {
        return;
    }
    size_t end = _text.size() - 1;
    while (end > 0 && isContinuationByte(_text[end])) {
        --end;
    }
    _text.erase(end);
    relayout();
    tell(EventType::DELETE_BACKWARD);
}

void TextField::draw(Renderer& renderer, const Affine& nodeToWorld) {
    const Color3B shown = _text.empty() ? Color3B::GRAY : _color;
    renderer.drawTexture(_texture, nodeToWorld,
                         Rect(_fontSize * kInsetInFontSizes, 0, _textSize.width, _textSize.height),
                         shown, _opacity);
    if (isFocused()) {
        const float x = _fontSize * kInsetInFontSizes + (_text.empty() ? 0 : _textSize.width);
        const Affine at{1, 1, x, (_contentSize.height - _fontSize) / 2};
        renderer.fillRect(nodeToWorld * at, Size(kCaretWidth, _fontSize),
                          Color4B(_color.r, _color.g, _color.b, _opacity));
    }
}

} // namespace ui
} // namespace cocos2d
