#include "2d/Scene.h"

#include "base/Director.h"
#include "renderer/Renderer.h"

namespace cocos2d {

namespace {
// Full screen, anchored in the middle (the centre of scaling), positioned by the corner.
void makeFullScreen(Node* node) {
    node->setContentSize(Director::getInstance()->getWinSize());
    node->setAnchorPoint(Vec2(0.5f, 0.5f));
}
} // namespace

Scene* Scene::create() {
    auto* scene = new (std::nothrow) Scene();
    if (scene && scene->init()) {
        scene->autorelease();
        return scene;
    }
    delete scene;
    return nullptr;
}

bool Scene::init() {
    _ignoreAnchorPointForPosition = true;
    makeFullScreen(this);
    return true;
}

bool Layer::init() {
    _ignoreAnchorPointForPosition = true;
    makeFullScreen(this);
    return true;
}

LayerColor* LayerColor::create(const Color4B& color) {
    auto* layer = new (std::nothrow) LayerColor();
    if (layer && layer->initWithColor(color)) {
        layer->autorelease();
        return layer;
    }
    delete layer;
    return nullptr;
}

bool LayerColor::initWithColor(const Color4B& color) {
    if (!Layer::init()) {
        return false;
    }
    _color = Color3B(color.r, color.g, color.b);
    _opacity = color.a;
    return true;
}

void LayerColor::draw(Renderer& renderer, const Affine& nodeToWorld) {
    renderer.fillRect(nodeToWorld, _contentSize, Color4B(_color.r, _color.g, _color.b, _opacity));
}

} // namespace cocos2d
