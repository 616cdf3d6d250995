#include "ThreatBoard.h"

int CellSet::count() const {
    return __builtin_popcountll(words[0]) + __builtin_popcountll(words[1]) +
           __builtin_popcountll(words[2]) + __builtin_popcountll(words[3]);
}

int CellSet::first() const {
    for (int w = 0; w < 4; ++w) {
        if (words[w] != 0) {
            return 64 * w + __builtin_ctzll(words[w]);
        }
    }
    return -1;
}

int CellSet::next(int cell) const {
    int w = (cell + 1) >> 6;
    if (w >= 4) {
        return -1;
    }
    const int bit = (cell + 1) & 63;
    uint64_t rest = bit == 0 ? words[w] : words[w] & (~uint64_t{0} << bit);
    while (rest == 0) {
        if (++w == 4) {
            return -1;
        }
        rest = words[w];
    }
    return 64 * w + __builtin_ctzll(rest);
}

CellSet CellSet::operator|(const CellSet& o) const {
    CellSet s;
    for (int w = 0; w < 4; ++w) {
        s.words[w] = words[w] | o.words[w];
    }
    return s;
}

CellSet CellSet::without(const CellSet& o) const {
    CellSet s;
    for (int w = 0; w < 4; ++w) {
        s.words[w] = words[w] & ~o.words[w];
    }
    return s;
}

ThreatBoard::ThreatBoard() : shapes(shapeTable()) {}

void ThreatBoard::load(const int32_t* cells) {
    board.load(cells);
    for (int p = 0; p < kCellCount; ++p) {
        refresh(p);
    }
}

void ThreatBoard::place(int cell, int32_t colour) {
    board.place(cell, colour);
    refreshAround(cell);
}

void ThreatBoard::remove(int cell) {
    board.remove(cell);
    refreshAround(cell);
}

void ThreatBoard::counts(int32_t colour, int cell, int& threes, int& fours) const {
    threes = fours = 0;
    for (int d = 0; d < 4; ++d) {
        const uint8_t s = shapes[board.code(colour, cell, d)];
        threes += s == kShapeOpenThree ? 1 : 0;
        fours += s >= kShapeFour ? 1 : 0;
    }
}

void ThreatBoard::refresh(int cell) {
    for (int32_t colour = kBlack; colour <= kWhite; ++colour) {
        CellSet* set = sets[colour - 1];
        for (int s = 0; s < kSets; ++s) {
            set[s].drop(cell);
        }
        if (board.at(cell) != kEmpty) {
            continue;
        }
        int threes = 0;
        int fours = 0;
        bool open = false;
        bool five = false;
        for (int d = 0; d < 4; ++d) {
            const uint8_t s = shapes[board.code(colour, cell, d)];
            five = five || s == kShapeFive;
            open = open || s == kShapeOpenFour;
            fours += s == kShapeFour || s == kShapeOpenFour ? 1 : 0;
            threes += s == kShapeOpenThree ? 1 : 0;
        }
        if (five) {
            set[kFives].add(cell);
        } else if (fours > 0) {
            set[kFours].add(cell);
            if (open || fours >= 2) {
                set[kForks].add(cell);
            }
        } else if (threes > 0) {
            set[kThrees].add(cell);
        }
    }
}

void ThreatBoard::refreshAround(int cell) {
    refresh(cell);
    for (int d = 0; d < 4; ++d) {
        const PatternBoard::Ray* ray;
        const int n = PatternBoard::rays(cell, d, ray);
        for (int i = 0; i < n; ++i) {
            refresh(ray[i].cell);
        }
    }
}
