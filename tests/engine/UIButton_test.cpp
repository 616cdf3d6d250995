// A picture button: its touch events, its pressed look and a missing picture.

#include "TestSupport.h"

USING_NS_CC;
using UIButtonTest = WidgetTest;

TEST_F(UIButtonTest, AButtonReportsBeganMovedEndedAndCancelledOffItAndOnlyWhileShown) {
    ui::Button* b = button(Vec2(100, 100));
    std::vector<int> types;
    b->addTouchEventListener([&](Ref*, ui::Widget::TouchEventType t) { types.push_back(int(t)); });
    h.runScene(scene);
    h.drag(Vec2(90, 95), Vec2(110, 105), 1);
    h.drag(Vec2(100, 100), Vec2(150, 100), 1); // released off it
    h.touch(Vec2(100, 125));                   // just above the button
    b->setVisible(false);
    h.touch(Vec2(100, 100));
    b->setVisible(true);
    scene->setVisible(false); // a hidden ancestor hides it too
    h.touch(Vec2(100, 100));
    EXPECT_EQ(types, (std::vector<int>{0, 1, 2, 0, 1, 3}));
    EXPECT_EQ(behind->log, "bebebe"); // the button's own touches are not among them
}

TEST_F(UIButtonTest, AButtonWithThePressedActionLooksPressedOnlyWhileHeldOnIt) {
    // The 40 x 20 blue button spans x 80..120; held, with the action, it grows to 78..122.
    const Color4B blue(0, 0, 255, 255), dark(0, 0, 204, 255), none(0, 0, 0, 255);
    for (const bool enabled : {false, true}) {
        ui::Button* b = button(Vec2(100, 100));
        b->setPressedActionEnabled(enabled);
        h.runScene(scene);
        h.press(Vec2(100, 100));
        EXPECT_EQ(h.pixelAt(Vec2(100, 100)), enabled ? dark : blue);
        EXPECT_EQ(h.pixelAt(Vec2(121, 100)), enabled ? dark : none);
        EXPECT_EQ(b->getContentSize(), Size(40, 20));
        h.moveTo(Vec2(121, 100)); // off the button: its touch area did not grow
        EXPECT_EQ(h.pixelAt(Vec2(100, 100)), blue);
        h.moveTo(Vec2(100, 100));
        EXPECT_EQ(h.pixelAt(Vec2(100, 100)), enabled ? dark : blue);
        h.release(Vec2(100, 100));
        EXPECT_EQ(h.pixelAt(Vec2(100, 100)), blue);
        EXPECT_EQ(h.pixelAt(Vec2(121, 100)), none);
        b->removeFromParent();
    }
}

TEST_F(UIButtonTest, AMissingImageMakesAnEmptyButtonNeverACrash) {
    EXPECT_EQ(Sprite::create(dir.file("none.png")), nullptr);
    auto* empty = ui::Button::create("images/missing.png");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->getContentSize(), Size::ZERO);
    scene->addChild(empty);
    scene->addChild(nullptr);
    h.runScene(scene);
    EXPECT_EQ(h.pixelAt(Vec2(200, 150)), kBlack);
}
