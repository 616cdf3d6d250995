#include "harness/EngineHarness.h"

#include <gtest/gtest.h>

USING_NS_CC;

// As in cocos2d-x, a size serves as a point: board code measures a touch from the board's
// corner, and a label is placed by its own size.
TEST(TypesTest, ASizeServesAsAPoint) {
    EXPECT_EQ(Vec2(100, 50) - Vec2(288, 300) + Size(520, 520) / 2, Vec2(72, 10));
    EXPECT_EQ(Vec2(1, 2) - Size(3, 5), Vec2(-2, -3));
    EngineHarness h(Size(100, 100));
    Node* label = Node::create();
    label->setContentSize(Size(30, 12));
    label->setPosition(label->getContentSize());
    EXPECT_EQ(label->getPosition(), Vec2(30, 12));
}
