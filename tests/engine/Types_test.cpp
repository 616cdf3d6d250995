#include "harness/EngineHarness.h"

#include <gtest/gtest.h>

USING_NS_CC;

// A size is used where a point is wanted, as in cocos2d-x: board code measures a touch from the
// board's corner, and a label is placed by its own size.
TEST(TypesTest, ASizeServesAsAPoint) {
    const Vec2 touch(100, 50);
    const Vec2 boardPos(288, 300);
    const Size boardSize(520, 520);
    EXPECT_EQ(touch - boardPos + boardSize / 2, Vec2(72, 10));
    EXPECT_EQ(Vec2(1, 2) - Size(3, 5), Vec2(-2, -3));
    const Vec2 corner = Size(4, 6);
    EXPECT_EQ(corner, Vec2(4, 6));

    EngineHarness h(Size(100, 100));
    Node* label = Node::create();
    label->setContentSize(Size(30, 12));
    label->setPosition(label->getContentSize());
    EXPECT_EQ(label->getPosition(), Vec2(30, 12));
    label->setPosition(5, 7); // the two-number form is still chosen for numbers
    EXPECT_EQ(label->getPosition(), Vec2(5, 7));
}
