#pragma once
// The board as the pattern scorer reads it, kept up to date one stone at a time. For every
// point, colour and direction it holds the point's LineCode and the sum of the four line scores,
// so a search can place and take back stones without rescoring the board: a stone changes only
// the codes of the points within four steps on its four lines. Plain data, nothing allocated.

#include "Board.h"
#include "LineScore.h"

#include <cstdint>

// The four directions of a line, in the order the computer opponent has always summed them.
constexpr int kLineDirections[4][2] = {{1, 1}, {0, 1}, {1, 0}, {1, -1}};

class PatternBoard {
public:
    // A point whose code reads a given cell, and the code bits of that cell (kCodeOwn there).
    struct Ray {
        int16_t cell;
        uint16_t own;
    };
    // The points within four steps of `cell` on the line of direction `dir`, `cell` itself left
    // out; their number.
    static int rays(int cell, int dir, const Ray*& out);

    PatternBoard();
    void load(const int32_t* board);
    void place(int cell, int32_t colour);
    void remove(int cell);

    const int32_t* cells() const { return board; }
    int32_t at(int cell) const { return board[cell]; }
    int empties() const { return emptyCells; }
    LineCode code(int32_t colour, int cell, int dir) const { return codes[colour - 1][cell][dir]; }
    // The line scores of the four directions through `cell` for `colour`, kept also while the
    // cell is occupied (as if it were empty).
    int score(int32_t colour, int cell) const { return scores[colour - 1][cell]; }
    // score() summed over the empty cells.
    int total(int32_t colour) const { return totals[colour - 1]; }

private:
    void update(int cell, int32_t colour, int sign);

    const int16_t* lineScores;
    int32_t board[kCellCount];
    int emptyCells;
    LineCode codes[2][kCellCount][4];
    int32_t scores[2][kCellCount];
    int32_t totals[2];
};
