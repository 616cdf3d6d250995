#include "Picture.h"

#include <cmath>
#include <gtest/gtest.h>

// The board picture's own coordinates have their origin at its bottom-left corner, and
// intersection (x, y) lies at (12 + 34.8 x, 15 + 34.8 y). Pixel column c covers x in [c, c + 1);
// the file's row r, counted from the top, covers y in [H - 1 - r, H - r).

namespace {
constexpr int kDark = 70;   // grid lines are drawn near (42, 23, 9), luma 27
constexpr int kLight = 110; // the wood between the lines stays above this, grain included

double lineX(double i) {
    return 12 + 34.8 * i;
}
double lineY(double i) {
    return 15 + 34.8 * i;
}

class BoardPicture : public ::testing::Test {
protected:
    Picture board{"chessback"};
    void SetUp() override {
        ASSERT_TRUE(board.loaded());
        // The touch area and the margins follow from this size: 12 + 34.8 * 14 + 11.8 across
        // and 15 + 34.8 * 14 + 14.8 up.
        ASSERT_EQ(board.width(), 511);
        ASSERT_EQ(board.height(), 517);
    }
    // The luma of the pixel that covers the point (x, y).
    int luma(double x, double y) const {
        return board.lumaAt(int(std::floor(x)), board.height() - 1 - int(std::floor(y)));
    }
};
} // namespace

TEST_F(BoardPicture, EveryLineRunsThroughItsIntersectionsAndNothingElseIsDark) {
    // Worked by hand: (0, 0) is at column 12, row 501; the centre (7, 7) at (255.6, 258.6) is
    // column 255, row 258; the wood 5 left of the leftmost line is the margin.
    EXPECT_LT(board.lumaAt(12, 501), kDark);
    EXPECT_LT(board.lumaAt(255, 258), kDark);
    EXPECT_GT(board.lumaAt(7, 484), kLight);
    for (int i = 0; i < 15; ++i) {
        for (int j = 0; j < 15; ++j) {
            EXPECT_LT(luma(lineX(i), lineY(j)), kDark) << "intersection " << i << "," << j;
            if (j < 14) { // halfway to the next intersection, on each line
                EXPECT_LT(luma(lineX(i), lineY(j + 0.5)), kDark) << "line x=" << i << " at " << j;
                EXPECT_LT(luma(lineX(j + 0.5), lineY(i)), kDark) << "line y=" << i << " at " << j;
            }
        }
    }
    // Between the lines the wood shows, already 3 units beside a line: the lines are thin
    // and sit where the geometry says, not a pixel or two off.
    for (int i = 0; i < 14; ++i) {
        for (int j = 0; j < 14; ++j) {
            const double x = lineX(i + 0.5), y = lineY(j + 0.5);
            EXPECT_GT(luma(x, y), kLight) << "cell " << i << "," << j;
            EXPECT_GT(luma(lineX(i) + 3, y), kLight) << "right of line x=" << i;
            EXPECT_GT(luma(lineX(i + 1) - 3, y), kLight) << "left of line x=" << i + 1;
            EXPECT_GT(luma(x, lineY(j) + 3), kLight) << "above line y=" << j;
            EXPECT_GT(luma(x, lineY(j + 1) - 3), kLight) << "below line y=" << j + 1;
        }
    }
}
