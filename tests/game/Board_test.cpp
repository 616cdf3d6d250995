#include "Board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

using Points = std::vector<std::pair<int, int>>;

struct Five {
    const char* name;
    Points black, white;
    int x, y;
    int32_t colour;
    bool five;
};

const Five kFives[] = {
    {"four, completed at the left end", {{5, 7}, {6, 7}, {7, 7}, {8, 7}}, {}, 4, 7, kBlack, true},
    {"four, completed at the right end", {{5, 7}, {6, 7}, {7, 7}, {8, 7}}, {}, 9, 7, kBlack, true},
    {"the other colour's four", {{5, 7}, {6, 7}, {7, 7}, {8, 7}}, {}, 4, 7, kWhite, false},
    {"a diagonal's gap filled", {}, {{3, 3}, {4, 4}, {6, 6}, {7, 7}}, 5, 5, kWhite, true},
    {"beyond a diagonal's gap", {}, {{3, 3}, {4, 4}, {6, 6}, {7, 7}}, 8, 8, kWhite, false},
    {"column", {{7, 8}, {7, 9}, {7, 10}, {7, 11}}, {}, 7, 7, kBlack, true},
    {"anti-diagonal", {{8, 6}, {9, 5}, {10, 4}, {11, 3}}, {}, 7, 7, kBlack, true},
    {"three and the point", {{8, 6}, {9, 5}, {10, 4}}, {}, 7, 7, kBlack, false},
    {"six in a row", {{0, 2}, {1, 2}, {2, 2}, {4, 2}, {5, 2}}, {}, 3, 2, kBlack, true},
    {"stones beyond an empty cell", {{7, 2}, {7, 4}, {7, 5}, {7, 7}}, {}, 7, 3, kBlack, false},
    {"stones beyond the opponent", {{7, 2}, {7, 4}, {7, 5}, {7, 7}}, {{7, 6}}, 7, 3, kBlack, false},
    {"along the left edge", {{0, 0}, {0, 1}, {0, 2}, {0, 3}}, {}, 0, 4, kBlack, true},
    {"along the top edge", {{10, 14}, {11, 14}, {12, 14}, {13, 14}}, {}, 14, 14, kBlack, true},
    {"into the corner", {}, {{14, 14}, {13, 13}, {12, 12}, {11, 11}}, 10, 10, kWhite, true},
    {"the point is not read", {{2, 5}, {3, 5}, {4, 5}, {5, 5}}, {{6, 5}}, 6, 5, kBlack, true},
};

// checkFive, and the line fiveLine marks: contiguous through the point, of the colour, and not
// one stone longer at either end.
TEST(CheckFive, LinesThroughThePoint) {
    for (const Five& c : kFives) {
        int32_t cells[kCellCount] = {};
        for (auto [x, y] : c.black) {
            cells[cellIndex(x, y)] = kBlack;
        }
        for (auto [x, y] : c.white) {
            cells[cellIndex(x, y)] = kWhite;
        }
        EXPECT_EQ(checkFive(cells, c.x, c.y, c.colour), c.five) << c.name;
        int line[kBoardSize];
        const int n = fiveLine(cells, c.x, c.y, c.colour, line);
        EXPECT_EQ(n >= 5, c.five) << c.name;
        if (n < 5) {
            continue;
        }
        cells[cellIndex(c.x, c.y)] = c.colour;
        const int dx = line[1] / kBoardSize - line[0] / kBoardSize,
                  dy = line[1] % kBoardSize - line[0] % kBoardSize;
        const int x0 = line[0] / kBoardSize, y0 = line[0] % kBoardSize;
        EXPECT_NE(std::find(line, line + n, cellIndex(c.x, c.y)), line + n) << c.name;
        for (int i = -1; i <= n; ++i) {
            const int x = x0 + i * dx, y = y0 + i * dy;
            const bool inLine = i >= 0 && i < n;
            if (inLine) {
                EXPECT_EQ(line[i], cellIndex(x, y)) << c.name;
            }
            EXPECT_EQ(onBoard(x, y) && cells[cellIndex(x, y)] == c.colour, inLine) << c.name << i;
        }
    }
}

TEST(Board, FullOnlyWithoutAnEmptyCell) {
    int32_t cells[kCellCount];
    std::fill(cells, cells + kCellCount, kWhite);
    EXPECT_TRUE(isBoardFull(cells));
    cells[kCellCount - 1] = kEmpty;
    EXPECT_FALSE(isBoardFull(cells));
}

} // namespace
