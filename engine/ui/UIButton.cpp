#include "ui/UIButton.h"

#include "base/Director.h"
#include "renderer/Renderer.h"
#include "renderer/Texture2D.h"

namespace cocos2d {
namespace ui {

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

void Button::draw(Renderer& renderer, const Affine& nodeToWorld) {
    renderer.drawTexture(_normal, nodeToWorld, Rect(0, 0, _contentSize.width, _contentSize.height),
                         _color, _opacity);
}

} // namespace ui
} // namespace cocos2d
