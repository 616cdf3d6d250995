#include "2d/Sprite.h"

#include "base/Director.h"
#include "renderer/Renderer.h"
#include "renderer/Texture2D.h"

namespace cocos2d {

Sprite::Sprite() {
    _anchorPoint = Vec2(0.5f, 0.5f);
}

Sprite::~Sprite() {
    if (_texture) {
        _texture->release();
    }
}

Sprite* Sprite::create(const std::string& filename) {
    return createWithTexture(Director::getInstance()->getTextureCache()->addImage(filename));
}

Sprite* Sprite::createWithTexture(Texture2D* texture) {
    if (!texture) {
        return nullptr;
    }
    auto* sprite = new (std::nothrow) Sprite();
    if (sprite && sprite->initWithTexture(texture)) {
        sprite->autorelease();
        return sprite;
    }
    delete sprite;
    return nullptr;
}

bool Sprite::initWithTexture(Texture2D* texture) {
    texture->retain();
    _texture = texture;
    setContentSize(texture->getContentSize());
    return true;
}

void Sprite::draw(Renderer& renderer, const Affine& nodeToWorld) {
    renderer.drawTexture(_texture, nodeToWorld, Rect(0, 0, _contentSize.width, _contentSize.height),
                         _color, _opacity);
}

} // namespace cocos2d
