#include "Board.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace {

struct TestBoard {
    int32_t cells[kCellCount] = {};
    void put(int x, int y, int32_t c) { cells[cellIndex(x, y)] = c; }
    void line(std::initializer_list<std::pair<int, int>> points, int32_t c) {
        for (auto [x, y] : points) {
            put(x, y, c);
        }
    }
};

TEST(CheckFive, FourInARowCompletedAtEitherEndOrInTheGap) {
    TestBoard b;
    b.line({{5, 7}, {6, 7}, {7, 7}, {8, 7}}, kBlack);
    EXPECT_TRUE(checkFive(b.cells, 4, 7, kBlack));
    EXPECT_TRUE(checkFive(b.cells, 9, 7, kBlack));
    EXPECT_FALSE(checkFive(b.cells, 4, 7, kWhite));

    TestBoard gap;
    gap.line({{3, 3}, {4, 4}, {6, 6}, {7, 7}}, kWhite);
    EXPECT_TRUE(checkFive(gap.cells, 5, 5, kWhite));
    EXPECT_FALSE(checkFive(gap.cells, 8, 8, kWhite));
}

TEST(CheckFive, EveryAxisIsSeen) {
    const std::pair<int, int> steps[] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
    for (auto [dx, dy] : steps) {
        TestBoard b;
        for (int k = 1; k <= 4; ++k) {
            b.put(7 + k * dx, 7 + k * dy, kBlack);
        }
        EXPECT_TRUE(checkFive(b.cells, 7, 7, kBlack)) << dx << "," << dy;
        b.put(7 + 4 * dx, 7 + 4 * dy, kEmpty);
        EXPECT_FALSE(checkFive(b.cells, 7, 7, kBlack)) << dx << "," << dy;
    }
}

TEST(CheckFive, SixInARowWins) {
    TestBoard b;
    b.line({{0, 2}, {1, 2}, {2, 2}, {4, 2}, {5, 2}}, kBlack);
    EXPECT_TRUE(checkFive(b.cells, 3, 2, kBlack));
}

TEST(CheckFive, StonesBeyondAnEmptyCellOrAnOpponentDoNotCount) {
    TestBoard b;
    b.line({{7, 3}, {7, 4}, {7, 5}, {7, 7}, {7, 8}, {7, 9}}, kBlack); // (7, 6) empty
    EXPECT_FALSE(checkFive(b.cells, 7, 2, kBlack));
    b.put(7, 6, kWhite);
    EXPECT_FALSE(checkFive(b.cells, 7, 10, kBlack));
}

TEST(CheckFive, EdgesAndCornersStopTheWalks) {
    TestBoard b;
    b.line({{0, 0}, {0, 1}, {0, 2}, {0, 3}}, kBlack);
    EXPECT_TRUE(checkFive(b.cells, 0, 4, kBlack));
    TestBoard corner;
    corner.line({{14, 14}, {13, 13}, {12, 12}, {11, 11}}, kWhite);
    EXPECT_TRUE(checkFive(corner.cells, 10, 10, kWhite));
    corner.put(11, 11, kEmpty);
    EXPECT_FALSE(checkFive(corner.cells, 10, 10, kWhite));
    // Along the top edge: (x, 14) for x = 10..14.
    TestBoard top;
    top.line({{10, 14}, {11, 14}, {12, 14}, {13, 14}}, kBlack);
    EXPECT_TRUE(checkFive(top.cells, 14, 14, kBlack));
}

TEST(CheckFive, ThePointItselfIsNotRead) {
    TestBoard b;
    b.line({{2, 5}, {3, 5}, {4, 5}, {5, 5}}, kBlack);
    for (int32_t own : {kEmpty, kBlack, kWhite}) {
        b.put(6, 5, own);
        EXPECT_TRUE(checkFive(b.cells, 6, 5, kBlack));
        EXPECT_FALSE(checkFive(b.cells, 6, 5, kWhite));
    }
}

TEST(Board, FullAndColours) {
    TestBoard b;
    EXPECT_FALSE(isBoardFull(b.cells));
    for (int i = 0; i < kCellCount; ++i) {
        b.cells[i] = i % 2 ? kWhite : kBlack;
    }
    EXPECT_TRUE(isBoardFull(b.cells));
    b.cells[kCellCount - 1] = kEmpty;
    EXPECT_FALSE(isBoardFull(b.cells));
    EXPECT_EQ(opponentOf(kBlack), kWhite);
    EXPECT_EQ(opponentOf(kWhite), kBlack);
    EXPECT_EQ(opponentOf(0), kBlack);
    EXPECT_EQ(cellIndex(3, 4), 49);
}

} // namespace
