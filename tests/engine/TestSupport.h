#pragma once
// Shared by the engine, scene and start-up tests: a temporary folder, small PNG pictures written
// into it (the tests make their own images), layers that count or record what reaches them, and
// a scene of widgets over a layer that records the touches no widget took.

#include "../support/Support.h"
#include "harness/EngineHarness.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// A w x h picture of one colour; returns its full path.
std::string writePng(const TempDir& dir, const std::string& name, int w, int h,
                     const cocos2d::Color4B& colour);

inline cocos2d::Scene* sceneWith(cocos2d::Node* layer) {
    auto* scene = cocos2d::Scene::create();
    scene->addChild(layer);
    return scene;
}

// A scene layer that counts the touches and frames that reach it, and its destruction.
class Probe : public cocos2d::Layer {
public:
    CREATE_FUNC(Probe)
    static Probe* make(int* destroyed);
    ~Probe() override { ++*destroyed; }
    int* destroyed = nullptr;
    int touches = 0;
    int ticks = 0;
};

// A layer whose listener records every touch phase it hears ('b', 'm', 'e') with the locations;
// it claims the touches it begins with `claim`, and keeps them from the listeners behind with
// `swallow`.
class Recorder : public cocos2d::Layer {
public:
    CREATE_FUNC(Recorder)
    static Recorder* make(bool claim, bool swallow);
    std::string log;
    std::vector<cocos2d::Vec2> at;
};

// A layer whose keyboard listener adds "<name>:<key><+ pressed, - released>" to `log`, with "^"
// while Shift is held; with `stop` it keeps Escape from the listeners behind it.
cocos2d::Layer* keyListener(const std::string& name, std::string& log, bool stop = false);

// The drawing tests' colours, and a comparison that allows for rounding.
const cocos2d::Color4B kBackground(10, 20, 30, 255);
const cocos2d::Color4B kRed(255, 0, 0, 255);
const cocos2d::Color4B kBlue(0, 0, 255, 255);
const cocos2d::Color4B kBlack(0, 0, 0, 255);
bool same(const cocos2d::Color4B& a, const cocos2d::Color4B& b, int tolerance = 2);
// Pixels of mostly red ink in the design rectangle [x0, x1) x [y0, y1], every 2 rows.
int redInk(EngineHarness& h, float x0, float x1, float y0, float y1);

// A running 200 x 200 scene over the drawing background, and pictures placed on it.
struct DrawingTest : ::testing::Test {
    void SetUp() override { h.runScene(sceneWith(layer)); }
    cocos2d::Sprite* spriteAt(const std::string& file, cocos2d::Vec2 at) {
        auto* s = cocos2d::Sprite::create(file);
        s->setPosition(at);
        layer->addChild(s);
        return s;
    }
    TempDir dir;
    EngineHarness h{cocos2d::Size(200, 200)};
    cocos2d::LayerColor* layer = cocos2d::LayerColor::create(kBackground);
};

// A running 400 x 300 scene over a recorder that claims what reaches it, and the widgets a test
// puts in it.
struct WidgetTest : ::testing::Test {
    cocos2d::ui::Button* button(cocos2d::Vec2 at);                            // 40 x 20, blue
    cocos2d::ui::TextField* field(const char* placeholder, cocos2d::Vec2 at); // Arial 26

    TempDir dir;
    EngineHarness h{cocos2d::Size(400, 300)};
    cocos2d::Scene* scene = sceneWith(Recorder::make(true, false));
    Recorder* behind = static_cast<Recorder*>(scene->getChildren().front());
};
