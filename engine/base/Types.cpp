#include "base/Types.h"

namespace cocos2d {

const Vec2 Vec2::ZERO{0, 0};
const Size Size::ZERO{0, 0};
const Color3B Color3B::WHITE{255, 255, 255};
const Color3B Color3B::BLACK{0, 0, 0};
const Color3B Color3B::RED{255, 0, 0};
const Color3B Color3B::GRAY{166, 166, 166};

} // namespace cocos2d
