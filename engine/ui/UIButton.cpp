#include "ui/UIButton.h"

#include "base/Director.h"
#include "renderer/Renderer.h"
#include "renderer/Texture2D.h"

namespace cocos2d {
namespace ui {

namespace {
// How much of its colour a held button keeps: a picture that only grew might not look pressed.
constexpr float kPressedBrightness = 0.8f;

uint8_t darker(uint8_t c) {
    return static_cast<uint8_t>(c * kPressedBrightness);
}
} // namespace

Button* Button::create(const std::string& normalImage, const std::string&, const std::string&,
                       TextureResType) {
    auto* button = new (std::nothrow) Button();
    if (button && button->initWithNormalImage(normalImage)) {
        button->autorelease();
        return button;
    }
    delete button;
    return nullptr;
}

Button::~Button() {
    if (_normal) {
        _normal->release();
    }
}

bool Button::initWithNormalImage(const std::string& normalImage) {
    if (!Node::init()) {
        return false;
    }
    _normalFile = normalImage;
    _normal = Director::getInstance()->getTextureCache()->addImage(normalImage);
    if (_normal) {
        _normal->retain();
        setContentSize(_normal->getContentSize());
    }
    setTouchEnabled(true);
    return true;
}

void Button::setPressedActionEnabled(bool enabled) {
    _pressedActionEnabled = enabled;
    Director::markDirty();
}

void Button::setZoomScale(float scale) {
    _zoomScale = scale;
    Director::markDirty();
}

void Button::draw(Renderer& renderer, const Affine& nodeToWorld) {
    const float w = _contentSize.width;
    const float h = _contentSize.height;
    if (!_pressedActionEnabled || !isHighlighted()) {
        renderer.drawTexture(_normal, nodeToWorld, Rect(0, 0, w, h), _color, _opacity);
        return;
    }
    const float z = _zoomScale;
    renderer.drawTexture(_normal, nodeToWorld,
                         Rect(-w * z / 2, -h * z / 2, w * (1 + z), h * (1 + z)),
                         Color3B(darker(_color.r), darker(_color.g), darker(_color.b)), _opacity);
}

} // namespace ui
} // namespace cocos2d
