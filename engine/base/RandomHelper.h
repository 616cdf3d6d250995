#pragma once
// The engine's shared random generator. Tests make draws repeatable by seeding it:
// RandomHelper::getEngine().seed(n).

#include <random>

namespace cocos2d {

class RandomHelper {
public:
    template <typename T>
    static T random_int(T min, T max) {
        std::uniform_int_distribution<T> dist(min, max);
        return dist(getEngine());
    }
    template <typename T>
    static T random_real(T min, T max) {
        std::uniform_real_distribution<T> dist(min, max);
        return dist(getEngine());
    }
    static std::mt19937& getEngine();
};

// A random integer over the default range, 0 to 32767 (the range the game was written for).
inline int random() {
    return RandomHelper::random_int(0, 0x7fff);
}
inline int random(int min, int max) {
    return RandomHelper::random_int(min, max);
}

} // namespace cocos2d
