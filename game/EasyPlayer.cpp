#include "EasyPlayer.h"

#include "AIPlayer.h"
#include "PatternBoard.h"

#include <algorithm>

namespace {

constexpr int kChoices = 4;          // drawn from the best this many points by the line scores
constexpr uint64_t kMissedBlock = 8; // one four in this many goes unblocked
constexpr double kDefenceWeight = 1.3;

uint64_t mix(uint64_t z) {
    z += 0x9e3779b97f4a7c15u;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
}

int firstFive(const int32_t* board, int32_t colour) {
    for (int cell = 0; cell < kCellCount; ++cell) {
        if (board[cell] == kEmpty &&
            checkFive(board, cell / kBoardSize, cell % kBoardSize, colour)) {
            return cell;
        }
    }
    return -1;
}

} // namespace

Point easyMove(const int32_t* board, int32_t colour, uint64_t seed) {
    const auto pointOf = [](int cell) { return Point{cell / kBoardSize, cell % kBoardSize}; };
    const int win = firstFive(board, colour);
    if (win >= 0) {
        return pointOf(win);
    }
    uint64_t random = seed;
    for (int cell = 0; cell < kCellCount; ++cell) {
        random = mix(random ^ static_cast<uint64_t>(board[cell] * (cell + 1)));
    }
    const int block = firstFive(board, opponentOf(colour));
    if (block >= 0 && random % kMissedBlock != 0) {
        return pointOf(block);
    }
    random = mix(random);

    PatternBoard patterns;
    patterns.load(board);
    int best[kChoices];
    int value[kChoices];
    int n = 0;
    for (int cell = 0; cell < kCellCount; ++cell) {
        if (board[cell] != kEmpty) {
            continue;
        }
        const Point p = pointOf(cell);
        const int v =
            std::max(patterns.score(colour, cell),
                     static_cast<int>(kDefenceWeight * patterns.score(opponentOf(colour), cell))) +
            AIPlayer::positionBonus(p.x, p.y);
        if (n == kChoices && v <= value[n - 1]) {
            continue;
        }
        int slot = n < kChoices ? n++ : kChoices - 1;
        while (slot > 0 && value[slot - 1] < v) {
            value[slot] = value[slot - 1];
            best[slot] = best[slot - 1];
            --slot;
        }
        value[slot] = v;
        best[slot] = cell;
    }
    if (n == 0) {
        return {};
    }
    return pointOf(best[random % static_cast<uint64_t>(n)]);
}
