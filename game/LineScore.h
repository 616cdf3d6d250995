#pragma once
// The pattern score of one line through an empty point: the computer opponent's measure of what
// a stone there would make along that line. It reads at most four cells either way, so the score
// is a function of those eight cells alone; lineScoreTable() holds it for every such
// neighbourhood, packed as a LineCode, which lets a search look scores up instead of walking.

#include "Board.h"

#include <cstdint>

constexpr int kFiveScore = 2000;

// Score of direction (dx, dy) through (x, y), taken to hold `colour`. The cell (x, y) itself is
// never read.
int lineScore(const int32_t* board, int x, int y, int32_t colour, int dx, int dy);

// The eight cells around a point on one line, two bits each: the four behind it (nearest last)
// in the low byte, then the four ahead (nearest first). Relative to one colour, so that the same
// table serves both.
using LineCode = uint16_t;
constexpr int kLineCodes = 1 << 16;
constexpr LineCode kCodeEmpty = 0;
constexpr LineCode kCodeOwn = 1;
constexpr LineCode kCodeTheirs = 2;
constexpr LineCode kCodeEdge = 3; // off the board

// The bits of the cell `offset` steps ahead (negative: behind), offset in -4..4 and not 0.
constexpr int codeShift(int offset) {
    return 2 * (offset < 0 ? offset + 4 : offset + 3);
}

// lineScore() of every code; codes that no board has (an edge nearer than a board cell) score 0.
// Built on first use.
const int16_t* lineScoreTable();
