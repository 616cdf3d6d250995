#include "LineScore.h"

#include <algorithm>
#include <cassert>

namespace {

// Score by count (1..4) of own stones in the line and the number of open ends (1 or 2).
constexpr int kLineScore[5][3] = {
    {0, 0, 0}, {0, 1, 3}, {0, 8, 20}, {0, 30, 80}, {0, 120, 400},
};

// How many steps of (d) fit between coordinate c and the board's edge, at most four.
int stepsTo(int c, int d) {
    if (d > 0) {
        return std::min(4, kBoardSize - 1 - c);
    }
    if (d < 0) {
        return std::min(4, c);
    }
    return 4;
}

int codeAt(LineCode code, int offset) {
    return (code >> codeShift(offset)) & 3;
}

// The cells beyond the edge on one side of a code: they must run from the far end inwards.
bool edgesFromFarEnd(LineCode code, int sign, int& edges) {
    edges = 0;
    for (int k = 4; k >= 1; --k) {
        if (codeAt(code, sign * k) != kCodeEdge) {
            break;
        }
        ++edges;
    }
    for (int k = 1; k <= 4 - edges; ++k) {
        if (codeAt(code, sign * k) == kCodeEdge) {
            return false;
        }
    }
    return true;
}

struct ScoreTable {
    int16_t score[kLineCodes] = {};
    ScoreTable() {
        // Each code that a board can have is laid out on a scratch board and scored by lineScore
        // itself. Along the diagonal (1, 1) any pair of edge distances occurs, both sides at
        // once near a corner: the point (x, y) is x steps from the edge behind and 14 - y ahead.
        int32_t board[kCellCount] = {};
        for (int code = 0; code < kLineCodes; ++code) {
            int behind = 0;
            int ahead = 0;
            if (!edgesFromFarEnd(code, -1, behind) || !edgesFromFarEnd(code, 1, ahead)) {
                continue;
            }
            const int x = behind > 0 ? 4 - behind : kCentre;
            const int y = ahead > 0 ? 10 + ahead : kCentre;
            for (int k = -4; k <= 4; ++k) {
                if (k != 0 && onBoard(x + k, y + k)) {
                    const int c = codeAt(code, k);
                    board[cellIndex(x + k, y + k)] = c == kCodeOwn      ? kBlack
                                                     : c == kCodeTheirs ? kWhite
                                                                        : kEmpty;
                }
            }
            score[code] = static_cast<int16_t>(lineScore(board, x, y, kBlack, 1, 1));
            for (int k = -4; k <= 4; ++k) {
                if (onBoard(x + k, y + k)) {
                    board[cellIndex(x + k, y + k)] = kEmpty;
                }
            }
        }
    }
};

} // namespace

int lineScore(const int32_t* board, int x, int y, int32_t colour, int dx, int dy) {
    assert(onBoard(x, y) && (colour == kBlack || colour == kWhite));
    int count = 1;
    int gap = 0;
    int openEnds = 0;
    // gap carries over from the forward walk into the backward one: an empty cell passed going
    // forward makes the first empty cell going backward an open end.
    for (int sign = 1; sign >= -1; sign -= 2) {
        const int sx = sign * dx;
        const int sy = sign * dy;
        const int steps = std::min(stepsTo(x, sx), stepsTo(y, sy));
        int index = cellIndex(x, y);
        const int stride = cellIndex(sx, sy);
        for (int k = 1; k <= steps; ++k) {
            index += stride;
            const int32_t cell = board[index];
            if (cell == colour) {
                ++count;
                if (gap == 1) {
                    gap = 2;
                }
            } else if (cell != kEmpty) {
                if (gap < 2) {
                    ++gap;
                }
                break;
            } else if (gap != 0) {
                ++openEnds;
                break;
            } else {
                gap = 1;
            }
        }
    }
    if (count == 2 && gap == 2) {
        return openEnds >= 1 ? 3 : 0;
    }
    if (count == 5) {
        return kFiveScore;
    }
    if (openEnds == 0) {
        return 0;
    }
    // Counts of 6 to 9 arise when the one allowed gap joins two runs of own stones: filling that
    // gap then makes five or more, a threat at least as strong as a five in the making, so it
    // scores like a five. Any lower score would let the computer overlook such a threat of
    // either side.
    if (count > 5) {
        return kFiveScore;
    }
    return kLineScore[count][openEnds];
}

const int16_t* lineScoreTable() {
    static const ScoreTable table;
    return table.score;
}
