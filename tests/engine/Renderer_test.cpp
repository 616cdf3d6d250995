// What the renderer draws, and that it draws a frame only when something changed or runs.

#include "TestSupport.h"

#include <SDL_image.h>
#include <stdexcept>

USING_NS_CC;

namespace {
// The pixel (x, y) of a PNG file, y counted from the top.
Color4B pngPixel(const std::string& path, int x, int y) {
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (!loaded) {
        throw std::runtime_error("cannot read " + path);
    }
    SDL_Surface* s = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(loaded);
    const auto* p = static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * 4;
    const Color4B c(p[0], p[1], p[2], p[3]);
    SDL_FreeSurface(s);
    return c;
}

struct RendererTest : DrawingTest {
    std::string red = writePng(dir, "red.png", 20, 20, kRed);
    std::string blue = writePng(dir, "blue.png", 20, 20, kBlue);
};
} // namespace

TEST(RendererFrameTest, TheSavedFrameKeepsTheAspectRatioWithBlackBarsAndYUpward) {
    TempDir dir;
    EngineHarness h(Size(200, 400), Size(100, 100)); // scale 2, bars of 100 pixels
    auto* scene = Scene::create();
    scene->addChild(LayerColor::create(kBackground));
    auto* sprite = Sprite::create(writePng(dir, "red.png", 20, 20, kRed));
    sprite->setPosition(Vec2(25, 75));
    scene->addChild(sprite);
    h.runScene(scene);
    const std::string frame = dir.file("f.png");
    ASSERT_TRUE(h.saveFrame(frame));
    const struct {
        int x, y;
        Color4B colour;
    } expected[] = {{100, 50, kBlack},      {100, 350, kBlack},    {100, 101, kBackground},
                    {1, 298, kBackground},  {50, 150, kRed},       {31, 131, kRed},
                    {26, 150, kBackground}, {50, 250, kBackground}};
    for (const auto& e : expected) {
        EXPECT_TRUE(same(pngPixel(frame, e.x, e.y), e.colour)) << e.x << "," << e.y;
    }
}

TEST_F(RendererTest, AnchorScaleVisibilityZOrderAndParentChangeWhatIsDrawn) {
    Sprite* s = spriteAt(red, Vec2(100, 100));
    s->setAnchorPoint(Vec2(0, 0));
    EXPECT_TRUE(same(h.pixelAt(Vec2(115, 115)), kRed));
    EXPECT_TRUE(same(h.pixelAt(Vec2(95, 95)), kBackground));
    s->setAnchorPoint(Vec2(0.5f, 0.5f));
    s->setScale(2);
    EXPECT_TRUE(same(h.pixelAt(Vec2(81, 81)), kRed));
    EXPECT_TRUE(same(h.pixelAt(Vec2(118, 118)), kRed));
    EXPECT_TRUE(same(h.pixelAt(Vec2(122, 100)), kBackground));
    Sprite* top = spriteAt(blue, Vec2(100, 100)); // added last, but drawn first
    top->setLocalZOrder(-1);
    EXPECT_TRUE(same(h.pixelAt(Vec2(100, 100)), kRed));
    top->setLocalZOrder(1);
    EXPECT_TRUE(same(h.pixelAt(Vec2(100, 100)), kBlue));
    s->setVisible(false);
    EXPECT_TRUE(same(h.pixelAt(Vec2(85, 85)), kBackground));

    // A child is placed in its parent's coordinates: (0, 0) is the parent's corner (90, 90).
    top->addChild(Sprite::createWithTexture(s->getTexture()), 1);
    EXPECT_TRUE(same(h.pixelAt(Vec2(85, 85)), kRed));
    EXPECT_TRUE(same(h.pixelAt(Vec2(105, 105)), kBlue));
}

TEST_F(RendererTest, TextIsDrawnInItsColourAndWrapsInItsArea) {
    auto* text = ui::Text::create("MMMM", "Arial", 30);
    text->setColor(Color3B::RED);
    text->setPosition(Vec2(100, 100));
    layer->addChild(text);
    EXPECT_GT(redInk(h, 80, 120, 100, 100), 3);

    auto* notice = ui::Text::create("", "Arial", 24);
    notice->setTextAreaSize(Size(100, 0));
    notice->setString("a notice long enough to need several lines");
    EXPECT_EQ(notice->getContentSize().width, 100);
    EXPECT_GT(notice->getContentSize().height, 2.5f * 24);
    notice->setTextAreaSize(Size(100, 100));
    EXPECT_EQ(notice->getContentSize(), Size(100, 100));
}

TEST_F(RendererTest, OnlyAChangeOrSomethingRunningDrawsAFrame) {
    Sprite* sprite = spriteAt(red, Vec2(50, 50));
    auto* text = ui::Text::create("idle", "Arial", 20);
    layer->addChild(text);
    int ticks = 0;
    layer->schedule([&](float) { ++ticks; }, 0, CC_REPEAT_FOREVER, 0, "tick");
    auto drawsOver = [this](int frames) {
        const unsigned long before = h.director()->getDrawnFrames();
        h.frame(frames);
        return h.director()->getDrawnFrames() - before;
    };
    drawsOver(1);
    EXPECT_EQ(drawsOver(30), 0u);
    EXPECT_EQ(ticks, 31); // callbacks ticking change nothing visible
    sprite->setPosition(sprite->getPosition());
    text->setString("idle");
    EXPECT_EQ(drawsOver(5), 0u);
    const std::function<void()> changes[] = {
        [&] { sprite->setPosition(Vec2(60, 60)); },
        [&] { text->setString("changed"); },
        [&] { sprite->setOpacity(10); },
        [&] { h.touch(Vec2(5, 5)); },
        [&] { layer->addChild(Node::create()); },
    };
    for (const auto& change : changes) {
        change();
        EXPECT_EQ(drawsOver(3), 1u);
    }
    // Running actions and slides draw every frame.
    sprite->runAction(MoveTo::create(0.5f, Vec2(150, 150)));
    EXPECT_EQ(drawsOver(30), 30u);
    EXPECT_EQ(drawsOver(10), 0u);
    h.director()->replaceScene(TransitionMoveInR::create(0.5f, Scene::create()));
    EXPECT_EQ(drawsOver(31), 31u);
    EXPECT_EQ(drawsOver(10), 0u);
}

// The frame starts black wherever no opaque background covers it, also after one did.
TEST_F(RendererTest, WhatNoBackgroundCoversIsBlack) {
    EXPECT_TRUE(same(h.pixelAt(Vec2(100, 100)), kBackground));
    layer->setOpacity(128);
    EXPECT_TRUE(same(h.pixelAt(Vec2(100, 100)), Color4B(5, 10, 15, 255)));
    layer->setOpacity(255);
    layer->setContentSize(Size(100, 200));
    EXPECT_TRUE(same(h.pixelAt(Vec2(50, 100)), kBackground));
    EXPECT_TRUE(same(h.pixelAt(Vec2(150, 100)), kBlack));
    layer->setVisible(false);
    EXPECT_TRUE(same(h.pixelAt(Vec2(50, 100)), kBlack));
}
