#include "Board.h"

#include <cassert>

namespace {

// Counts the stones of `colour` walking away from (x, y), at most four steps.
int walk(const int32_t* board, int x, int y, int dx, int dy, int32_t colour) {
    int n = 0;
    for (int k = 1; k <= 4; ++k) {
        const int nx = x + k * dx;
        const int ny = y + k * dy;
        if (!onBoard(nx, ny) || board[cellIndex(nx, ny)] != colour) {
            break;
        }
        ++n;
    }
    return n;
}

} // namespace

bool checkFive(const int32_t* board, int x, int y, int32_t colour) {
    assert(onBoard(x, y) && "checkFive is asked about a point of the board");
    assert((colour == kBlack || colour == kWhite) && "only a stone colour can make five");
    // Axis order and walk directions are part of the rules' contract; the answer does not depend
    // on them, but they are kept so that the cost per axis stays the same everywhere.
    static constexpr int kAxes[4][2] = {{-1, 0}, {0, -1}, {-1, 1}, {1, 1}};
    for (const auto& axis : kAxes) {
        const int count = 1 + walk(board, x, y, axis[0], axis[1], colour) +
                          walk(board, x, y, -axis[0], -axis[1], colour);
        if (count >= 5) {
            return true;
        }
    }
    return false;
}

int fiveLine(const int32_t* board, int x, int y, int32_t colour, int* cells) {
    assert(onBoard(x, y) && (colour == kBlack || colour == kWhite));
    static constexpr int kAxes[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
    int best = 0;
    for (const auto& axis : kAxes) {
        int back = 0; // stones behind (x, y) on this axis, walked to the line's end
        while (onBoard(x - (back + 1) * axis[0], y - (back + 1) * axis[1]) &&
               board[cellIndex(x - (back + 1) * axis[0], y - (back + 1) * axis[1])] == colour) {
            ++back;
        }
        int length = back + 1;
        while (onBoard(x + (length - back) * axis[0], y + (length - back) * axis[1]) &&
               board[cellIndex(x + (length - back) * axis[0], y + (length - back) * axis[1])] ==
                   colour) {
            ++length;
        }
        if (length >= 5 && length > best) {
            best = length;
            for (int i = 0; i < length; ++i) {
                cells[i] = cellIndex(x + (i - back) * axis[0], y + (i - back) * axis[1]);
            }
        }
    }
    return best;
}

bool isBoardFull(const int32_t* board) {
    for (int i = 0; i < kCellCount; ++i) {
        if (board[i] == kEmpty) {
            return false;
        }
    }
    return true;
}
