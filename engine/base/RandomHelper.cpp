#include "base/RandomHelper.h"

namespace cocos2d {

std::mt19937& RandomHelper::getEngine() {
    static std::mt19937 engine{std::random_device{}()};
    return engine;
}

} // namespace cocos2d
