// The board scene both games share: a touch, in the board picture's own coordinates, turns into
// the nearest intersection, with the picture's margins around the grid.

#include "GoBangGame.h"

#include <gtest/gtest.h>

namespace {

TEST(GoBangGame, TouchesMapToTheNearestIntersectionWithTheMarginsOfThePicture) {
    struct Case {
        float px, py;
        int x, y;
    };
    const Case cases[] = {
        {12, 15, 0, 0}, // the lowest-left intersection
        {12 + 34.8f * 7, 15 + 34.8f * 7, 7, 7},
        {29.3f, 32.3f, 0, 0},     // just short of half a spacing
        {29.7f, 32.7f, 1, 1},     // just past it
        {-40.3f, -37.3f, 0, 0},   // left of and below the picture, still index 0
        {-40.5f, -37.5f, -1, -1}, // far enough out to be refused
        {516.5f, 519.5f, 14, 14}, // beyond the last line, still 14
        {516.7f, 519.7f, 15, 15},
    };
    for (const Case& c : cases) {
        const Point p = GoBangGame::touchToPoint(cocos2d::Vec2(c.px, c.py));
        EXPECT_EQ(p.x, c.x) << c.px;
        EXPECT_EQ(p.y, c.y) << c.py;
    }
}

} // namespace
