#include "TestSupport.h"
#include "harness/EngineHarness.h"

#include <SDL_image.h>
#include <gtest/gtest.h>
#include <stdexcept>

USING_NS_CC;

namespace {
const Color4B kBackground(10, 20, 30, 255);
const Color4B kRed(255, 0, 0, 255);
const Color4B kBlue(0, 0, 255, 255);
const Color4B kBlack(0, 0, 0, 255);

bool same(const Color4B& a, const Color4B& b, int tolerance = 2) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

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

struct DrawingFixture : ::testing::Test {
    TempDir dir;
    EngineHarness h{Size(200, 200)};
    LayerColor* layer = nullptr;
    std::string red = writePng(dir, "red.png", 20, 20, kRed);
    std::string blue = writePng(dir, "blue.png", 20, 20, kBlue);
    void SetUp() override {
        auto* scene = Scene::create();
        layer = LayerColor::create(kBackground);
        scene->addChild(layer);
        h.runScene(scene);
    }
    Sprite* spriteAt(const std::string& file, Vec2 at) {
        auto* s = Sprite::create(file);
        s->setPosition(at);
        layer->addChild(s);
        return s;
    }
    // Pixels of mostly red ink in the design rectangle [x0, x1) x [y0, y1], every 2 rows.
    int redInk(float x0, float x1, float y0, float y1) {
        int n = 0;
        for (float x = x0; x < x1; x += 1) {
            for (float y = y0; y <= y1; y += 2) {
                const Color4B c = h.pixelAt(Vec2(x, y));
                n += c.r > 150 && c.g < 60 ? 1 : 0;
            }
        }
        return n;
    }
};
} // namespace

TEST(DrawingLetterboxTest, TheSavedFrameKeepsTheAspectRatioWithBlackBarsAndYUpward) {
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

TEST_F(DrawingFixture, AnchorScaleOpacityVisibilityZOrderAndParentChangeWhatIsDrawn) {
    Sprite* s = spriteAt(red, Vec2(100, 100));
    s->setAnchorPoint(Vec2(0, 0));
    EXPECT_TRUE(same(h.pixelAt(Vec2(115, 115)), kRed));
    EXPECT_TRUE(same(h.pixelAt(Vec2(95, 95)), kBackground));
    s->setAnchorPoint(Vec2(0.5f, 0.5f));
    s->setScale(2);
    EXPECT_TRUE(same(h.pixelAt(Vec2(81, 81)), kRed));
    EXPECT_TRUE(same(h.pixelAt(Vec2(118, 118)), kRed));
    EXPECT_TRUE(same(h.pixelAt(Vec2(122, 100)), kBackground));
    s->setOpacity(128);
    EXPECT_TRUE(same(h.pixelAt(Vec2(100, 100)), Color4B(133, 10, 15, 255), 3));
    s->setOpacity(255);
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

TEST_F(DrawingFixture, AButtonIsTheSizeOfItsImageAndAMissingImageIsNeverACrash) {
    auto* b = ui::Button::create(writePng(dir, "wide.png", 60, 24, kBlue), "", "",
                                 ui::Widget::TextureResType::LOCAL);
    EXPECT_EQ(b->getContentSize(), Size(60, 24));
    b->setPosition(Vec2(100, 50));
    layer->addChild(b);
    EXPECT_TRUE(same(h.pixelAt(Vec2(72, 40)), kBlue));
    EXPECT_TRUE(same(h.pixelAt(Vec2(68, 50)), kBackground));

    EXPECT_EQ(Sprite::create(red + ".nope"), nullptr);
    auto* empty = ui::Button::create("images/missing.png");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->getContentSize(), Size::ZERO);
    layer->addChild(empty);
    layer->addChild(nullptr);
    EXPECT_TRUE(same(h.pixelAt(Vec2(100, 100)), kBackground));
}

TEST_F(DrawingFixture, TextIsDrawnInItsColourAndWrapsInItsArea) {
    auto* text = ui::Text::create("MMMM", "Arial", 30);
    text->setColor(Color3B::RED);
    text->setPosition(Vec2(100, 100));
    layer->addChild(text);
    EXPECT_GT(redInk(80, 120, 100, 100), 3);

    auto* notice = ui::Text::create("", "Arial", 24);
    notice->setTextAreaSize(Size(100, 0));
    notice->setString("a notice long enough to need several lines");
    EXPECT_EQ(notice->getContentSize().width, 100);
    EXPECT_GT(notice->getContentSize().height, 2.5f * 24);
    notice->setTextAreaSize(Size(100, 100));
    EXPECT_EQ(notice->getContentSize(), Size(100, 100));
}

TEST_F(DrawingFixture, ATextFieldDrawsItsTextAMarginInAndACaretWhileFocused) {
    auto* field = ui::TextField::create("", "Arial", 30);
    field->setColor(Color3B::RED);
    field->setAnchorPoint(Vec2(0, 0.5f));
    field->setPosition(Vec2(40, 100));
    field->setString("MMMM");
    layer->addChild(field);
    EXPECT_EQ(redInk(40, 48, 90, 110), 0); // 0.3 font sizes of margin
    EXPECT_GT(redInk(48, 80, 90, 110), 10);
    const float end = 40 + field->getContentSize().width;
    EXPECT_EQ(redInk(end, end + 6, 90, 110), 0);
    h.touch(Vec2(60, 100));
    EXPECT_GT(redInk(end, end + 6, 90, 110), 5);
    h.touch(Vec2(150, 180)); // elsewhere: the focus goes, and the caret with it
    EXPECT_EQ(redInk(end, end + 6, 90, 110), 0);
}

TEST_F(DrawingFixture, OnlyAChangeOrSomethingRunningDrawsAFrame) {
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

// Pictures are drawn from copies made at their on-screen size: one per size, made again only
// when the window's scale gives them a size they have not had lately.
TEST(DrawingScaleTest, APictureIsScaledOnceForEachOnScreenSize) {
    TempDir dir;
    EngineHarness h(Size(200, 200), Size(100, 100));
    auto* scene = Scene::create();
    scene->addChild(LayerColor::create(kBackground));
    auto* sprite = Sprite::create(writePng(dir, "red.png", 10, 10, kRed));
    sprite->setPosition(Vec2(50, 50));
    scene->addChild(sprite);
    const unsigned long before = Texture2D::getScalingsMade();
    h.runScene(scene);
    const struct {
        float design; // square design resolution: 200 / design pixels a unit
        unsigned long scalings;
    } steps[] = {{100, 1}, {50, 2}, {200, 2}, {100, 2}, {40, 3}};
    for (const auto& s : steps) {
        h.view()->setDesignResolutionSize(s.design, s.design, ResolutionPolicy::SHOW_ALL);
        sprite->setPosition(Vec2(s.design / 2, s.design / 2));
        for (int i = 0; i < 3; ++i) {
            Director::markDirty();
            h.frame();
        }
        EXPECT_EQ(Texture2D::getScalingsMade() - before, s.scalings) << s.design;
        const float c = s.design / 2;
        EXPECT_TRUE(same(h.pixelAt(Vec2(c + 4.8f, c - 4.8f)), kRed)) << s.design;
        EXPECT_FALSE(same(h.pixelAt(Vec2(c + 5.3f, c)), kRed)) << s.design;
    }
}

// Opaque pictures are copied, the others blended; tints and opacity apply to scaled copies.
TEST(DrawingScaleTest, OpaqueTranslucentAndTintedPicturesDrawTheirOwnPixels) {
    TempDir dir;
    EngineHarness h(Size(200, 200), Size(100, 100));
    auto* scene = Scene::create();
    scene->addChild(LayerColor::create(kBackground));
    h.runScene(scene);
    const Color4B halfRed(255, 0, 0, 128);
    const Color4B blended(133, 10, 15, 255); // half red over the background
    const struct {
        Color4B picture;
        uint8_t opacity;
        Color3B tint;
        Color4B expected;
    } cases[] = {{kRed, 255, Color3B::WHITE, kRed},
                 {kRed, 128, Color3B::WHITE, blended},
                 {halfRed, 255, Color3B::WHITE, blended},
                 {Color4B(255, 255, 255, 255), 255, Color3B(0, 0, 255), kBlue}};
    int n = 0;
    for (const auto& c : cases) {
        auto* sprite =
            Sprite::create(writePng(dir, std::to_string(n++) + ".png", 10, 10, c.picture));
        sprite->setPosition(Vec2(50.3f, 50.6f));
        sprite->setOpacity(c.opacity);
        sprite->setColor(c.tint);
        scene->addChild(sprite);
        EXPECT_TRUE(same(h.pixelAt(Vec2(50, 50)), c.expected, 3)) << n;
        EXPECT_TRUE(same(h.pixelAt(Vec2(45.6f, 55.4f)), c.expected, 3)) << n;
        sprite->removeFromParent();
    }
}

// The frame starts black wherever no opaque background covers it, also after one did.
TEST_F(DrawingFixture, WhatNoBackgroundCoversIsBlack) {
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
