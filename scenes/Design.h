#pragma once
// The look every scene layer shares: its background colour and the design resolution set at
// start-up, which every layout is computed from. Main thread only.

#include "cocos2d.h"

namespace scenes {

const cocos2d::Color4B kBackground(139, 115, 85, 255);

inline cocos2d::Size designSize() {
    return cocos2d::Director::getInstance()->getOpenGLView()->getDesignResolutionSize();
}

} // namespace scenes
