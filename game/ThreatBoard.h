#pragma once
// The board as the threat search sees it: the pattern board plus, for each colour, the sets of
// empty points where a stone would make five, a four, an unstoppable four (an open four or two
// fours at once) or an open three. Kept up to date stone by stone like the line scores, so the
// search asks "where are my fours?" without a scan.

#include "PatternBoard.h"
#include "Shapes.h"

#include <cstdint>

// A set of cells (cellIndex) as bits; walked in cell order, which keeps every search
// deterministic.
struct CellSet {
    uint64_t words[4] = {};

    bool empty() const { return (words[0] | words[1] | words[2] | words[3]) == 0; }
    bool has(int cell) const { return (words[cell >> 6] >> (cell & 63)) & 1; }
    void add(int cell) { words[cell >> 6] |= uint64_t{1} << (cell & 63); }
    void drop(int cell) { words[cell >> 6] &= ~(uint64_t{1} << (cell & 63)); }
    int count() const;
    // The lowest cell of the set, -1 when empty.
    int first() const;
    // The lowest cell after `cell`, -1 when none.
    int next(int cell) const;
    CellSet operator|(const CellSet& o) const;
    CellSet without(const CellSet& o) const;
};

class ThreatBoard {
public:
    ThreatBoard();
    void load(const int32_t* board);
    void place(int cell, int32_t colour);
    void remove(int cell);

    const PatternBoard& patterns() const { return board; }
    int32_t at(int cell) const { return board.at(cell); }

    // Empty points where `colour` would make five.
    const CellSet& fives(int32_t colour) const { return sets[colour - 1][kFives]; }
    // ... a four or better (not five): the moves that force a reply.
    const CellSet& fours(int32_t colour) const { return sets[colour - 1][kFours]; }
    // ... an open four or two fours: one stone cannot stop both ways to five.
    const CellSet& forks(int32_t colour) const { return sets[colour - 1][kForks]; }
    // ... an open three (and no four).
    const CellSet& threes(int32_t colour) const { return sets[colour - 1][kThrees]; }
    Shape shape(int32_t colour, int cell, int dir) const {
        return static_cast<Shape>(shapes[board.code(colour, cell, dir)]);
    }
    // How many of the four directions would hold an open three and a four or better.
    void counts(int32_t colour, int cell, int& threes, int& fours) const;

private:
    enum { kFives, kFours, kForks, kThrees, kSets };
    void refresh(int cell);
    void refreshAround(int cell);

    const uint8_t* shapes;
    PatternBoard board;
    CellSet sets[2][kSets];
};
