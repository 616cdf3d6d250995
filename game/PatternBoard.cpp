#include "PatternBoard.h"

#include <cassert>

namespace {

struct Geometry {
    PatternBoard::Ray rays[kCellCount][4][8] = {};
    int8_t rayCount[kCellCount][4] = {};
    LineCode edges[kCellCount][4] = {}; // the codes of the empty board
};

constexpr Geometry makeGeometry() {
    Geometry g;
    for (int x = 0; x < kBoardSize; ++x) {
        for (int y = 0; y < kBoardSize; ++y) {
            const int p = cellIndex(x, y);
            for (int d = 0; d < 4; ++d) {
                const int dx = kLineDirections[d][0];
                const int dy = kLineDirections[d][1];
                for (int k = -4; k <= 4; ++k) {
                    if (k == 0) {
                        continue;
                    }
                    if (!onBoard(x + k * dx, y + k * dy)) {
                        g.edges[p][d] |= static_cast<LineCode>(kCodeEdge << codeShift(k));
                    }
                    // The point k steps behind sees this cell k steps ahead.
                    if (onBoard(x - k * dx, y - k * dy)) {
                        g.rays[p][d][g.rayCount[p][d]++] = {
                            static_cast<int16_t>(cellIndex(x - k * dx, y - k * dy)),
                            static_cast<uint16_t>(kCodeOwn << codeShift(k))};
                    }
                }
            }
        }
    }
    return g;
}

constexpr Geometry kGeometry = makeGeometry();

} // namespace

int PatternBoard::rays(int cell, int dir, const Ray*& out) {
    out = kGeometry.rays[cell][dir];
    return kGeometry.rayCount[cell][dir];
}

PatternBoard::PatternBoard() : lineScores(lineScoreTable()) {
    const int32_t empty[kCellCount] = {};
    load(empty);
}

void PatternBoard::load(const int32_t* gameBoard) {
    emptyCells = kCellCount;
    for (int c = 0; c < 2; ++c) {
        totals[c] = 0;
        for (int p = 0; p < kCellCount; ++p) {
            scores[c][p] = 0;
            for (int d = 0; d < 4; ++d) {
                codes[c][p][d] = kGeometry.edges[p][d];
                scores[c][p] += lineScores[codes[c][p][d]];
            }
            totals[c] += scores[c][p];
        }
    }
    for (int p = 0; p < kCellCount; ++p) {
        board[p] = kEmpty;
    }
    for (int p = 0; p < kCellCount; ++p) {
        assert(gameBoard[p] >= kEmpty && gameBoard[p] <= kWhite &&
               "a cell is empty, black or white");
        if (gameBoard[p] != kEmpty) {
            place(p, gameBoard[p]);
        }
    }
}

void PatternBoard::place(int cell, int32_t colour) {
    assert(board[cell] == kEmpty && (colour == kBlack || colour == kWhite));
    board[cell] = colour;
    --emptyCells;
    totals[0] -= scores[0][cell];
    totals[1] -= scores[1][cell];
    update(cell, colour, 1);
}

void PatternBoard::remove(int cell) {
    assert(board[cell] != kEmpty);
    const int32_t colour = board[cell];
    board[cell] = kEmpty;
    ++emptyCells;
    totals[0] += scores[0][cell];
    totals[1] += scores[1][cell];
    update(cell, colour, -1);
}

// Adds (sign 1) or takes away (-1) the stone's bits in every code that reads the cell: kCodeOwn
// for its colour, kCodeTheirs (twice the bits) for the other.
void PatternBoard::update(int cell, int32_t colour, int sign) {
    const int own = colour - 1;
    const int theirs = 1 - own;
    for (int d = 0; d < 4; ++d) {
        const int n = kGeometry.rayCount[cell][d];
        const Ray* ray = kGeometry.rays[cell][d];
        for (int i = 0; i < n; ++i) {
            const int q = ray[i].cell;
            const int bits = sign * ray[i].own;
            LineCode& mine = codes[own][q][d];
            LineCode& other = codes[theirs][q][d];
            const int oldMine = lineScores[mine];
            const int oldOther = lineScores[other];
            mine = static_cast<LineCode>(mine + bits);
            other = static_cast<LineCode>(other + 2 * bits);
            const int dMine = lineScores[mine] - oldMine;
            const int dOther = lineScores[other] - oldOther;
            scores[own][q] += dMine;
            scores[theirs][q] += dOther;
            if (board[q] == kEmpty) {
                totals[own] += dMine;
                totals[theirs] += dOther;
            }
        }
    }
}
