#include "Picture.h"

#include <cmath>
#include <gtest/gtest.h>

// The board picture's own coordinates have their origin at its bottom-left corner, and
// intersection (x, y) lies at (12 + 34.8 x, 15 + 34.8 y). Pixel column c covers x in [c, c + 1);
// the file's row r, counted from the top, covers y in [H - 1 - r, H - r).

namespace {
constexpr int kDark = 70;   // grid lines are drawn near (42, 23, 9), luma 27
constexpr int kLight = 110; // the wood between the lines stays above this, grain included

struct Pixel {
    int column, row;
};

Pixel pixelAt(double x, double y, int height) {
    return {static_cast<int>(std::floor(x)), height - 1 - static_cast<int>(std::floor(y))};
}

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
    int luma(double x, double y) const {
        const Pixel p = pixelAt(x, y, board.height());
        return board.lumaAt(p.column, p.row);
    }
};
} // namespace

TEST_F(BoardPicture, HandPickedPixelsOfTheGridAndTheWood) {
    const struct {
        int column, row;
        bool dark;
        const char* what;
    } cases[] = {
        {12, 501, true, "intersection (0, 0) at (12, 15)"},
        {46, 501, true, "intersection (1, 0) at (46.8, 15)"},
        {116, 397, true, "star point (3, 3) at (116.4, 119.4)"},
        {255, 258, true, "centre (7, 7) at (255.6, 258.6)"},
        {499, 14, true, "intersection (14, 14) at (499.2, 502.2)"},
        {29, 484, false, "middle of the lowest-left cell, (29.4, 32.4)"},
        {481, 32, false, "middle of the highest-right cell, (481.8, 484.8)"},
        {17, 484, false, "5 right of the leftmost line"},
        {7, 484, false, "5 left of the leftmost line, in the margin"},
    };
    for (const auto& c : cases) {
        const int luma = board.lumaAt(c.column, c.row);
        if (c.dark) {
            EXPECT_LT(luma, kDark) << c.what;
        } else {
            EXPECT_GT(luma, kLight) << c.what;
        }
    }
}

TEST_F(BoardPicture, EveryLineRunsThroughItsIntersectionsAndNothingElseIsDark) {
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
