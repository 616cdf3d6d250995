#include "Slide.h"

#include "cocos2d.h"

USING_NS_CC;

namespace scenes {

void slideTo(Layer* layer, Slide direction) {
    if (!layer) {
        return;
    }
    auto* scene = Scene::create();
    scene->addChild(layer);
    Scene* transition = direction == Slide::FORWARD
                            ? static_cast<Scene*>(TransitionMoveInR::create(0.5f, scene))
                            : static_cast<Scene*>(TransitionMoveInL::create(0.5f, scene));
    Director::getInstance()->replaceScene(transition);
}

} // namespace scenes
