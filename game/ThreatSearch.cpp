#include "ThreatSearch.h"

#include <algorithm>

namespace {

constexpr long kDefenderVcfNodes = 300; // per check; a defender's VCF is rarely long or wide

// The moves of a set, strongest threats first, each group in cell order.
struct Moves {
    int cells[kCellCount];
    int size = 0;

    Moves(const ThreatBoard& board, int32_t colour, const CellSet& set) {
        int rank[kCellCount];
        for (int c = set.first(); c >= 0; c = set.next(c)) {
            int threes = 0;
            int fours = 0;
            board.counts(colour, c, threes, fours);
            rank[size] = 4 * std::min(fours, 2) + std::min(threes, 2);
            cells[size++] = c;
        }
        for (int i = 1; i < size; ++i) {
            for (int j = i; j > 0 && rank[j - 1] < rank[j]; --j) {
                std::swap(rank[j - 1], rank[j]);
                std::swap(cells[j - 1], cells[j]);
            }
        }
    }
};

} // namespace

int ThreatSearch::vcf(int32_t attacker, int depth, long nodes) {
    limit = count + nodes;
    int move = -1;
    return vcfWins(attacker, depth, &move) ? move : -1;
}

int ThreatSearch::vct(int32_t attacker, int depth, int vcfDepth_, long nodes) {
    limit = count + nodes;
    vcfDepth = vcfDepth_;
    int move = -1;
    return attackWins(attacker, depth, &move) ? move : -1;
}

bool ThreatSearch::vcfWins(int32_t attacker, int depth, int* move) {
    ++count;
    const int32_t defender = opponentOf(attacker);
    if (!board.fives(attacker).empty()) {
        if (move != nullptr) {
            *move = board.fives(attacker).first();
        }
        if (winningLine != nullptr) {
            winningLine->add(board.fives(attacker).first());
        }
        return true;
    }
    if (depth == 0 || spent()) {
        return false;
    }
    CellSet tries = board.fours(attacker);
    const CellSet& theirs = board.fives(defender);
    if (!theirs.empty()) {
        // The defender threatens five: only a four that also blocks it keeps the initiative.
        const int block = theirs.first();
        if (theirs.count() > 1 || !tries.has(block)) {
            return false;
        }
        tries = CellSet();
        tries.add(block);
    }
    const Moves moves(board, attacker, tries);
    for (int i = 0; i < moves.size; ++i) {
        const int q = moves.cells[i];
        board.place(q, attacker);
        // The defender has no five (none was there, or q blocked it): two ways to five win,
        // one forces the block.
        const CellSet& mine = board.fives(attacker);
        bool won = mine.count() >= 2;
        if (won && winningLine != nullptr) {
            *winningLine = *winningLine | mine;
        }
        if (!won && mine.count() == 1) {
            const int reply = mine.first();
            board.place(reply, defender);
            won = vcfWins(attacker, depth - 1, nullptr);
            board.remove(reply);
            if (won && winningLine != nullptr) {
                winningLine->add(reply);
            }
        }
        board.remove(q);
        if (won) {
            if (move != nullptr) {
                *move = q;
            }
            if (winningLine != nullptr) {
                winningLine->add(q);
            }
            return true;
        }
        if (spent()) {
            return false;
        }
    }
    return false;
}

bool ThreatSearch::attackWins(int32_t attacker, int depth, int* move) {
    ++count;
    const int32_t defender = opponentOf(attacker);
    if (!board.fives(attacker).empty()) {
        if (move != nullptr) {
            *move = board.fives(attacker).first();
        }
        return true;
    }
    if (spent() || depth == 0) {
        return false;
    }
    const CellSet& theirs = board.fives(defender);
    if (!theirs.empty()) {
        // Forced to block; the attack goes on only if the block keeps a threat.
        const int block = theirs.first();
        if (theirs.count() > 1) {
            return false;
        }
        board.place(block, attacker);
        const bool won = defenceFails(attacker, depth - 1);
        board.remove(block);
        if (won && move != nullptr) {
            *move = block;
        }
        return won;
    }
    {
        const long saved = limit;
        limit = std::min(limit, count + kDefenderVcfNodes * 4);
        const bool won = vcfWins(attacker, vcfDepth, move);
        limit = saved;
        if (won) {
            return true;
        }
    }
    const Moves moves(board, attacker, board.fours(attacker) | board.threes(attacker));
    for (int i = 0; i < moves.size && !spent(); ++i) {
        const int q = moves.cells[i];
        board.place(q, attacker);
        const bool won = defenceFails(attacker, depth - 1);
        board.remove(q);
        if (won) {
            if (move != nullptr) {
                *move = q;
            }
            return true;
        }
    }
    return false;
}

bool ThreatSearch::defenceFails(int32_t attacker, int depth) {
    ++count;
    const int32_t defender = opponentOf(attacker);
    if (!board.fives(defender).empty() || spent()) {
        return false;
    }
    const CellSet& mine = board.fives(attacker);
    if (mine.count() >= 2) {
        return true;
    }
    if (mine.count() == 1) {
        const int reply = mine.first();
        board.place(reply, defender);
        const bool won = attackWins(attacker, depth, nullptr);
        board.remove(reply);
        return won;
    }
    {
        const long saved = limit;
        limit = std::min(limit, count + kDefenderVcfNodes);
        const bool theyWin = vcfWins(defender, vcfDepth, nullptr);
        limit = saved;
        if (theyWin) {
            return false;
        }
    }
    const CellSet counters = board.fours(defender);
    CellSet replies;
    if (board.forks(attacker).empty()) {
        // No open four to come; a win by fours to come must be answered as well, on its cells:
        // a stone anywhere else leaves that very win standing.
        CellSet line;
        const long saved = limit;
        limit = std::min(limit, count + kDefenderVcfNodes);
        winningLine = &line;
        const bool threat = vcfWins(attacker, vcfDepth, nullptr);
        winningLine = nullptr;
        limit = saved;
        if (!threat) {
            return false; // the last move threatened nothing that must be answered
        }
        replies = line.without(counters);
    } else {
        // The points of the coming open four and the cells of its lines, each kept only if it
        // leaves the attacker without one (a four of the defender's is tried anyway, below).
        const CellSet forks = board.forks(attacker);
        CellSet near;
        for (int f = forks.first(); f >= 0; f = forks.next(f)) {
            near.add(f);
            for (int d = 0; d < 4; ++d) {
                if (board.shape(attacker, f, d) < kShapeFour) {
                    continue;
                }
                const PatternBoard::Ray* ray;
                const int n = PatternBoard::rays(f, d, ray);
                for (int i = 0; i < n; ++i) {
                    if (board.at(ray[i].cell) == kEmpty) {
                        near.add(ray[i].cell);
                    }
                }
            }
        }
        for (int r = near.first(); r >= 0; r = near.next(r)) {
            if (counters.has(r)) {
                continue;
            }
            board.place(r, defender);
            const bool stops = board.forks(attacker).empty();
            board.remove(r);
            if (stops) {
                replies.add(r);
            }
        }
    }
    // Then every four of the defender's, which the attacker must answer first.
    for (int pass = 0; pass < 2; ++pass) {
        const CellSet& set = pass == 0 ? replies : counters;
        for (int r = set.first(); r >= 0; r = set.next(r)) {
            board.place(r, defender);
            const bool won = attackWins(attacker, depth, nullptr);
            board.remove(r);
            if (!won) {
                return false;
            }
        }
    }
    return true;
}
