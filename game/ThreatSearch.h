#pragma once
// Forced wins by threats, for the strong level. A VCF is a win by continuous fours: every move is
// a four, so every reply is forced and the tree stays narrow. A VCT also lets the attacker make
// open threes and blocks that leave a threat; the defender may then answer with any stone that
// stops the open four or the win by fours to come, or with fours of its own, and the attacker
// must win after each of those. A win is only reported
// once every defence was refuted, so a found win is real as far as the defences tried go; a
// search that runs out of its node budget reports none. No clock is read: the budgets make the
// answer the same on every machine.

#include "ThreatBoard.h"

#include <cstdint>

class ThreatSearch {
public:
    explicit ThreatSearch(ThreatBoard& board) : board(board) {}

    // The first move of a VCF for `attacker`, who is to move, of at most `depth` fours; -1 when
    // none is found within `nodes` positions. The board is left as found.
    int vcf(int32_t attacker, int depth, long nodes);
    // The first move of a VCT of at most `depth` threats; -1 when none is found. The defender's
    // own VCFs are searched `vcfDepth` fours deep.
    int vct(int32_t attacker, int depth, int vcfDepth, long nodes);

private:
    bool vcfWins(int32_t attacker, int depth, int* move);
    bool attackWins(int32_t attacker, int depth, int* move);
    bool defenceFails(int32_t attacker, int depth);
    bool spent() const { return count >= limit; }

    ThreatBoard& board;
    CellSet* winningLine = nullptr; // when set, vcfWins adds the cells of the win it finds
    long count = 0;
    long limit = 0;
    int vcfDepth = 0;
};
