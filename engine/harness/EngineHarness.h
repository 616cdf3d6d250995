#pragma once
// Drives the engine headless for tests: a director with an off-screen view of a given frame
// size (no window, no display), frames run with a fixed time step, touches at design points,
// typing and keys, node lookup, and the frame saved as PNG. One harness at a time; it purges the
// director when destroyed.

#include "cocos2d.h"
#include "ui/CocosGUI.h"

#include <functional>
#include <string>
#include <vector>

class EngineHarness {
public:
    // design: the design resolution (SHOW_ALL); zero means the frame size.
    explicit EngineHarness(cocos2d::Size frame = cocos2d::Size(400, 708),
                           cocos2d::Size design = cocos2d::Size(), float step = 1.0f / 60);
    ~EngineHarness();
    EngineHarness(const EngineHarness&) = delete;
    EngineHarness& operator=(const EngineHarness&) = delete;

    cocos2d::Director* director() const;
    cocos2d::GLView* view() const { return view_; }
    float step() const { return step_; }

    // Runs the scene as the first one and lets it enter (one frame).
    void runScene(cocos2d::Scene* scene);
    void frame(int count = 1);
    // Frames of the fixed step covering `seconds` (rounded to whole frames).
    void advance(float seconds);

    // The touch, in design coordinates; each is delivered at once, as between two frames.
    void press(const cocos2d::Vec2& point);
    void moveTo(const cocos2d::Vec2& point);
    void release(const cocos2d::Vec2& point);
    void touch(const cocos2d::Vec2& point);
    void drag(const cocos2d::Vec2& from, const cocos2d::Vec2& to, int steps = 4);
    // A touch at the middle of the node.
    void tap(const cocos2d::Node* node);
    void type(const std::string& utf8);
    void backspace();
    // Keys as the window delivers them (Backspace also deletes in the focused field); key() is a
    // press and release, with Shift held around it if asked.
    void pressKey(cocos2d::EventKeyboard::KeyCode key);
    void releaseKey(cocos2d::EventKeyboard::KeyCode key);
    void key(cocos2d::EventKeyboard::KeyCode key, bool shift = false);

    // Nodes of the running scene (both scenes during a transition), in drawing order.
    std::vector<cocos2d::Node*> allNodes() const;
    cocos2d::Node* findByName(const std::string& name) const;
    template <typename T>
    T* find(const std::function<bool(T*)>& match = {}) const {
        for (cocos2d::Node* n : allNodes()) {
            if (auto* t = dynamic_cast<T*>(n); t && (!match || match(t))) {
                return t;
            }
        }
        return nullptr;
    }
    cocos2d::ui::Text* findText(const std::string& text) const;

    // What a player sees of a node: its text (a field's shown text), its middle in design
    // coordinates, and whether it is on screen (in the scene, it and its ancestors visible).
    static std::string textOf(const cocos2d::Node* node);
    static cocos2d::Vec2 worldCentre(const cocos2d::Node* node);
    static bool isShown(const cocos2d::Node* node);

    bool saveFrame(const std::string& pngPath);
    // The colour of the frame pixel under a design point, as last drawn (draws if needed).
    cocos2d::Color4B pixelAt(const cocos2d::Vec2& designPoint);

private:
    cocos2d::GLView* view_ = nullptr;
    float step_;
};
