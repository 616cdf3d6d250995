// Pictures are drawn from copies made at their on-screen size: one per size, made again only
// when the window's scale gives them a size they have not had lately. Opaque copies are copied,
// the others blended, with their tint and opacity.

#include "TestSupport.h"

USING_NS_CC;

using Texture2DTest = DrawingTest;

TEST_F(Texture2DTest, APictureIsScaledOnceForEachOnScreenSize) {
    Sprite* sprite = spriteAt(writePng(dir, "red.png", 10, 10, kRed), Vec2());
    const unsigned long before = Texture2D::getScalingsMade();
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

TEST_F(Texture2DTest, OpaqueTranslucentAndTintedPicturesDrawTheirOwnPixels) {
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
    h.view()->setDesignResolutionSize(100, 100, ResolutionPolicy::SHOW_ALL); // 2 pixels a unit
    int n = 0;
    for (const auto& c : cases) {
        Sprite* sprite = spriteAt(writePng(dir, std::to_string(n++) + ".png", 10, 10, c.picture),
                                  {50.3f, 50.6f});
        sprite->setOpacity(c.opacity);
        sprite->setColor(c.tint);
        EXPECT_TRUE(same(h.pixelAt(Vec2(50, 50)), c.expected, 3)) << n;
        EXPECT_TRUE(same(h.pixelAt(Vec2(45.6f, 55.4f)), c.expected, 3)) << n;
        sprite->removeFromParent();
    }
}
