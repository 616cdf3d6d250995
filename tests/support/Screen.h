#pragma once
// What a player sees of the running scene, read through the engine harness: the widgets of a
// kind, a button by its picture and the red message line. Shared by the scene and the
// end-to-end tests; main thread only.

#include "harness/EngineHarness.h"

#include <string>
#include <vector>

namespace screen {

// Every node of type T in the running scene, in the order the scene made them.
template <typename T>
std::vector<T*> all(const EngineHarness& h) {
    std::vector<T*> out;
    for (cocos2d::Node* n : h.allNodes()) {
        if (auto* t = dynamic_cast<T*>(n)) {
            out.push_back(t);
        }
    }
    return out;
}

// The first button with this picture (with `shown`, the first on screen), or null.
inline cocos2d::ui::Button* button(const EngineHarness& h, const std::string& image,
                                   bool shown = false) {
    return h.find<cocos2d::ui::Button>([&](cocos2d::ui::Button* b) {
        return b->getNormalFile() == image && (!shown || EngineHarness::isShown(b));
    });
}

// The scene's red message line (its only red text), and its text ("<none>" without one).
inline cocos2d::ui::Text* messageLine(const EngineHarness& h) {
    return h.find<cocos2d::ui::Text>(
        [](cocos2d::ui::Text* t) { return t->getColor() == cocos2d::Color3B::RED; });
}
inline std::string message(const EngineHarness& h) {
    const cocos2d::ui::Text* line = messageLine(h);
    return line ? line->getString() : "<none>";
}

} // namespace screen
