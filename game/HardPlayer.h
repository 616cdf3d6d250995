#pragma once
// The strong level's move choice. Forced play first: its own five, the block of the opponent's,
// its own win by continuous fours (VCF) or by threats (VCT); then the opponent's forced wins are
// refuted by keeping only the moves after which the threat search finds none; among those an
// alpha-beta search a few plies deep picks the move, on the same line scores as the normal level.
// Every search runs to a node budget rather than a clock, so a position always gets the same
// move.

#include "Board.h"
#include "ThreatBoard.h"

#include <cstdint>

class HardPlayer {
public:
    // `colour`'s move on `board`, an invalid point when no cell is empty.
    Point choose(const int32_t* board, int32_t colour);

private:
    int search(int32_t colour, int depth, int alpha, int beta, int ply);
    int evaluate(int32_t colour) const;
    // The best `max` moves of `colour` by the line scores, best first; their number.
    int candidates(int32_t colour, int* out, int max) const;
    bool spent() const { return nodes >= limit; }

    ThreatBoard board;
    long nodes = 0;
    long limit = 0;
};
