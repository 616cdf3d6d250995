#include "HardPlayer.h"

#include "ThreatSearch.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kWin = 1000000;
constexpr double kDefenceWeight = 1.3; // the normal level's weighting of the opponent's lines

// Threat searches: our own wins first, then the opponent's, as if it were to move.
constexpr int kVcfDepth = 12;
constexpr long kVcfNodes = 20000;
constexpr int kVctDepth = 4;
constexpr int kVctVcfDepth = 8;
constexpr long kVctNodes = 20000;
constexpr long kThreatNodes = 4000; // the opponent's, before and after each candidate

// The alpha-beta search over the best moves by the line scores.
constexpr int kRootWidth = 12;
constexpr int kWidth = 8;
constexpr int kMaxDepth = 6;
constexpr long kSearchNodes = 150000;

// The line scores measure lines still to grow; at the horizon the threats ready to be made
// count beside them, more for the side to move, who makes them first. Without these terms the
// search is content with a position where both sides just block, and games against the normal
// level run on to a full board.
constexpr int kOwnFour = 300;
constexpr int kOwnThree = 150;
constexpr int kTheirFour = 200;
constexpr int kTheirThree = 100;
constexpr int kTheirOpenThree = 500; // it must be answered now, unless we can make a four

Point pointOf(int cell) {
    return {cell / kBoardSize, cell % kBoardSize};
}

int centreBonus(int cell) {
    return 15 - std::abs(cell / kBoardSize - kCentre) - std::abs(cell % kBoardSize - kCentre);
}

} // namespace

int HardPlayer::candidates(int32_t colour, int* out, int max) const {
    const PatternBoard& p = board.patterns();
    const int32_t other = opponentOf(colour);
    int value[kCellCount];
    int n = 0;
    for (int cell = 0; cell < kCellCount; ++cell) {
        if (p.at(cell) != kEmpty) {
            continue;
        }
        const int attack = p.score(colour, cell);
        const int defence = static_cast<int>(kDefenceWeight * p.score(other, cell));
        const int v = std::max(attack, defence) + std::min(attack, defence) / 2 + centreBonus(cell);
        if (n == max && v <= value[n - 1]) {
            continue;
        }
        int slot = n < max ? n++ : max - 1;
        while (slot > 0 && value[slot - 1] < v) {
            value[slot] = value[slot - 1];
            out[slot] = out[slot - 1];
            --slot;
        }
        value[slot] = v;
        out[slot] = cell;
    }
    return n;
}

int HardPlayer::evaluate(int32_t colour) const {
    const PatternBoard& p = board.patterns();
    const int32_t other = opponentOf(colour);
    int v = p.total(colour) - p.total(other);
    v += kOwnFour * board.fours(colour).count() + kOwnThree * board.threes(colour).count();
    v -= kTheirFour * board.fours(other).count() + kTheirThree * board.threes(other).count();
    if (!board.forks(other).empty() && board.fours(colour).empty()) {
        v -= kTheirOpenThree;
    }
    return v;
}

int HardPlayer::search(int32_t colour, int depth, int alpha, int beta, int ply) {
    ++nodes;
    const int32_t other = opponentOf(colour);
    if (!board.fives(colour).empty()) {
        return kWin - ply;
    }
    int moves[kWidth];
    int n = 0;
    int next = depth - 1;
    const CellSet& theirs = board.fives(other);
    if (!theirs.empty()) {
        if (theirs.count() > 1) {
            return -(kWin - ply - 1);
        }
        // A forced block is searched even at the horizon: standing still there would hide it.
        moves[n++] = theirs.first();
        next = std::max(depth - 1, 0);
    } else {
        if (!board.forks(colour).empty()) {
            return kWin - ply - 2;
        }
        if (depth <= 0 || spent()) {
            return evaluate(colour);
        }
        n = candidates(colour, moves, kWidth);
    }
    if (n == 0) {
        return 0;
    }
    int best = -2 * kWin;
    for (int i = 0; i < n; ++i) {
        board.place(moves[i], colour);
        const int v = -search(other, next, -beta, -alpha, ply + 1);
        board.remove(moves[i]);
        best = std::max(best, v);
        alpha = std::max(alpha, v);
        if (alpha >= beta) {
            break;
        }
    }
    return best;
}

Point HardPlayer::choose(const int32_t* cells, int32_t colour) {
    board.load(cells);
    if (board.patterns().empties() == 0) {
        return {};
    }
    if (board.patterns().empties() == kCellCount) {
        return {kCentre, kCentre}; // the most room for lines; a search has nothing to go on yet
    }
    const int32_t other = opponentOf(colour);
    if (!board.fives(colour).empty()) {
        return pointOf(board.fives(colour).first());
    }
    if (!board.fives(other).empty()) {
        return pointOf(board.fives(other).first());
    }
    ThreatSearch threats(board);
    int win = threats.vcf(colour, kVcfDepth, kVcfNodes);
    const bool theirVcf = win < 0 && threats.vcf(other, kVcfDepth, kThreatNodes) >= 0;
    if (win < 0 && !theirVcf) {
        win = threats.vct(colour, kVctDepth, kVctVcfDepth, kVctNodes);
    }
    if (win >= 0) {
        return pointOf(win);
    }
    const bool threatened =
        theirVcf || threats.vct(other, kVctDepth, kVctVcfDepth, kThreatNodes) >= 0;

    int moves[kCellCount];
    int n = candidates(colour, moves, kRootWidth);
    if (threatened) {
        // Answers to a threat may score low: add our own fours and every point of theirs, then
        // keep the moves after which the opponent has no forced win (all of them if none does).
        CellSet extra =
            board.fours(colour) | board.fours(other) | board.forks(other) | board.threes(other);
        for (int i = 0; i < n; ++i) {
            extra.drop(moves[i]);
        }
        for (int c = extra.first(); c >= 0; c = extra.next(c)) {
            moves[n++] = c;
        }
        int safe = 0;
        for (int i = 0; i < n; ++i) {
            board.place(moves[i], colour);
            const bool lost = threats.vcf(other, kVcfDepth, kThreatNodes) >= 0 ||
                              threats.vct(other, kVctDepth, kVctVcfDepth, kThreatNodes) >= 0;
            board.remove(moves[i]);
            if (!lost) {
                moves[safe++] = moves[i];
            }
        }
        n = safe > 0 ? safe : n;
    }

    int chosen = moves[0];
    limit = nodes + kSearchNodes;
    for (int depth = 2; depth <= kMaxDepth && n > 1; depth += 2) {
        int alpha = -2 * kWin;
        int bestAt = 0;
        for (int i = 0; i < n; ++i) {
            board.place(moves[i], colour);
            const int v = -search(other, depth - 1, -2 * kWin, -alpha, 1);
            board.remove(moves[i]);
            if (v > alpha) {
                alpha = v;
                bestAt = i;
            }
        }
        if (spent()) {
            break; // an unfinished depth is not trusted over the finished one
        }
        chosen = moves[bestAt];
        std::rotate(moves, moves + bestAt, moves + bestAt + 1);
    }
    return pointOf(chosen);
}
