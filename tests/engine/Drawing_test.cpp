#include "TestSupport.h"
#include "harness/EngineHarness.h"

#include <gtest/gtest.h>

USING_NS_CC;

namespace {
const Color4B kBackground(10, 20, 30, 255);
const Color4B kRed(255, 0, 0, 255);
const Color4B kBlue(0, 0, 255, 255);

bool same(const Color4B& a, const Color4B& b, int tolerance = 2) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

struct DrawingFixture : ::testing::Test {
    TempDir dir;
    EngineHarness h{Size(200, 200)};
    LayerColor* layer = nullptr;
    std::string red;
    std::string blue;
    void SetUp() override {
        red = writePng(dir, "red.png", 20, 20, kRed);
        blue = writePng(dir, "blue.png", 20, 20, kBlue);
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
};
} // namespace

TEST_F(DrawingFixture, ASpriteAppearsWhereItIsPlacedInTheSavedFrame) {
    spriteAt(red, Vec2(50, 150));
    ASSERT_TRUE(h.saveFrame(dir.file("frame.png")));
    // Design y grows upward, picture rows downward: (50, 150) is row 50.
    EXPECT_TRUE(same(pngPixel(dir.file("frame.png"), 50, 50), kRed));
    EXPECT_TRUE(same(pngPixel(dir.file("frame.png"), 41, 59), kRed));
    EXPECT_TRUE(same(pngPixel(dir.file("frame.png"), 38, 50), kBackground));
    EXPECT_TRUE(same(pngPixel(dir.file("frame.png"), 50, 150), kBackground));
    EXPECT_TRUE(same(pngPixel(dir.file("frame.png"), 150, 150), kBackground));
}

TEST_F(DrawingFixture, AnchorScaleOpacityAndVisibilityChangeWhatIsDrawn) {
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
    s->setVisible(false);
    EXPECT_TRUE(same(h.pixelAt(Vec2(100, 100)), kBackground));
}

TEST_F(DrawingFixture, HigherZOrderIsDrawnOnTopWhateverTheOrderOfAdding) {
    Sprite* top = spriteAt(blue, Vec2(100, 100));
    top->setLocalZOrder(1);
    spriteAt(red, Vec2(100, 100));
    EXPECT_TRUE(same(h.pixelAt(Vec2(100, 100)), kBlue));
    top->setLocalZOrder(-1); // now behind the red one
    EXPECT_TRUE(same(h.pixelAt(Vec2(100, 100)), kRed));
}

TEST_F(DrawingFixture, ChildrenAreDrawnInTheirParentsCoordinates) {
    Sprite* parent = spriteAt(blue, Vec2(100, 100));
    Sprite* source = Sprite::create(red);
    auto* child = Sprite::createWithTexture(source->getTexture());
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->getTexture(), source->getTexture());
    EXPECT_EQ(child->getContentSize(), Size(20, 20));
    child->setPosition(Vec2(0, 0)); // the parent's bottom-left corner: (90, 90) in the world
    parent->addChild(child, 1);
    EXPECT_TRUE(same(h.pixelAt(Vec2(85, 85)), kRed));
    EXPECT_TRUE(same(h.pixelAt(Vec2(105, 105)), kBlue));
    EXPECT_EQ(child->convertToWorldSpace(Vec2(10, 10)), Vec2(90, 90));
}

TEST_F(DrawingFixture, AButtonIsTheSizeOfItsImage) {
    auto* b = ui::Button::create(writePng(dir, "wide.png", 60, 24, kBlue), "", "",
                                 ui::Widget::TextureResType::LOCAL);
    EXPECT_EQ(b->getContentSize(), Size(60, 24));
    b->setPosition(Vec2(100, 50));
    layer->addChild(b);
    EXPECT_TRUE(same(h.pixelAt(Vec2(72, 40)), kBlue));
    EXPECT_TRUE(same(h.pixelAt(Vec2(68, 50)), kBackground));
}

TEST_F(DrawingFixture, TextIsDrawnInItsColourAndWrapsInItsArea) {
    auto* text = ui::Text::create("MMMM", "Arial", 30);
    text->setColor(Color3B::RED);
    text->setPosition(Vec2(100, 100));
    layer->addChild(text);
    const Size one = text->getContentSize();
    EXPECT_GT(one.width, 40);
    EXPECT_GT(one.height, 25);
    int reddish = 0;
    for (int x = -20; x <= 20; x += 2) {
        const Color4B c = h.pixelAt(Vec2(100.0f + x, 100));
        reddish += c.r > 150 && c.g < 60 ? 1 : 0;
    }
    EXPECT_GT(reddish, 3);

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
    auto inked = [&](float from, float to) {
        int n = 0;
        for (float x = from; x < to; x += 1) {
            for (float y = 90; y <= 110; y += 2) {
                const Color4B c = h.pixelAt(Vec2(x, y));
                n += c.r > 150 && c.g < 60 ? 1 : 0;
            }
        }
        return n;
    };
    EXPECT_EQ(inked(40, 48), 0); // 0.3 font sizes of margin
    EXPECT_GT(inked(48, 80), 10);

    // A caret after the text shows the field that takes the typing.
    const float end = 40 + field->getContentSize().width;
    EXPECT_EQ(inked(end, end + 6), 0);
    h.touch(Vec2(60, 100));
    EXPECT_GT(inked(end, end + 6), 5);
    h.touch(Vec2(150, 180)); // elsewhere: the focus goes, and the caret with it
    EXPECT_EQ(inked(end, end + 6), 0);
}

TEST(DrawingLetterboxTest, ShowAllKeepsTheAspectRatioWithBlackBars) {
    TempDir dir;
    EngineHarness h(Size(200, 400), Size(100, 100)); // scale 2, bars of 100 pixels
    auto* scene = Scene::create();
    scene->addChild(LayerColor::create(kBackground));
    h.runScene(scene);
    ASSERT_TRUE(h.saveFrame(dir.file("f.png")));
    EXPECT_TRUE(same(pngPixel(dir.file("f.png"), 100, 50), Color4B(0, 0, 0, 255)));
    EXPECT_TRUE(same(pngPixel(dir.file("f.png"), 100, 350), Color4B(0, 0, 0, 255)));
    EXPECT_TRUE(same(pngPixel(dir.file("f.png"), 100, 101), kBackground));
    EXPECT_TRUE(same(pngPixel(dir.file("f.png"), 1, 298), kBackground));
    EXPECT_EQ(h.director()->getWinSize(), Size(100, 100));
}

TEST_F(DrawingFixture, AMissingImageIsANullSpriteAndAnEmptyButtonNeverACrash) {
    EXPECT_EQ(Sprite::create("images/missing.png"), nullptr);
    EXPECT_EQ(Sprite::create(writePng(dir, "x.txt", 1, 1, kRed) + ".nope"), nullptr);
    auto* b = ui::Button::create("images/missing.png");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->getContentSize(), Size::ZERO);
    layer->addChild(b);
    layer->addChild(nullptr);
    h.frame();
    EXPECT_TRUE(same(h.pixelAt(Vec2(100, 100)), kBackground));
}
