#include "AIPlayer.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>

namespace {

constexpr int kDirections[4][2] = {{1, 1}, {0, 1}, {1, 0}, {1, -1}};

// Score by count (1..4) of own stones in the line and the number of open ends (1 or 2).
constexpr int kLineScore[5][3] = {
    {0, 0, 0}, {0, 1, 3}, {0, 8, 20}, {0, 30, 80}, {0, 120, 400},
};
constexpr int kFiveScore = 2000;
constexpr double kDefenceWeight = 1.3;
constexpr double kLookAheadWeight = 0.5;
constexpr int kAttackThreshold = 200;
constexpr int kDefenceThreshold = 312;
constexpr int kRescored = 3;

int weighDefence(int defence) {
    return static_cast<int>(kDefenceWeight * defence);
}
int halve(int value) {
    return static_cast<int>(kLookAheadWeight * value);
}

// How many steps of (d) fit between coordinate c and the board's edge, at most four.
int stepsTo(int c, int d) {
    if (d > 0) {
        return std::min(4, kBoardSize - 1 - c);
    }
    if (d < 0) {
        return std::min(4, c);
    }
    return 4;
}

} // namespace

AIPlayer::AIPlayer(int32_t colour_, int32_t depth_, MoveReceiver* game_)
    : depth(depth_), game(game_), opponentColour(colour_ == kBlack ? kWhite : kBlack) {
    assert((colour_ == kBlack || colour_ == kWhite) && "the computer plays a stone colour");
    assert(depth_ >= 0);
    colour = colour_;
}

void AIPlayer::think(const int32_t* gameBoard) {
    active = true;
    loadBoard(gameBoard);
    const Point move = chooseMove();
    active = false;
    if (move.valid() && game != nullptr) {
        game->computerMove(move.x, move.y);
    }
}

void AIPlayer::loadBoard(const int32_t* gameBoard) {
    emptyCells = 0;
    for (int i = 0; i < kCellCount; ++i) {
        board[i] = gameBoard[i];
        assert(board[i] >= kEmpty && board[i] <= kWhite && "a cell is empty, black or white");
        emptyCells += board[i] == kEmpty ? 1 : 0;
    }
}

int AIPlayer::positionBonus(int x, int y) {
    return 15 - std::abs(x - kCentre) - std::abs(y - kCentre);
}

int AIPlayer::scoreLine(int x, int y, int32_t colour_, int dx, int dy) const {
    assert(onBoard(x, y) && (colour_ == kBlack || colour_ == kWhite));
    int count = 1;
    int gap = 0;
    int openEnds = 0;
    // gap carries over from the forward walk into the backward one: an empty cell passed going
    // forward makes the first empty cell going backward an open end.
    for (int sign = 1; sign >= -1; sign -= 2) {
        const int sx = sign * dx;
        const int sy = sign * dy;
        const int steps = std::min(stepsTo(x, sx), stepsTo(y, sy));
        int index = cellIndex(x, y);
        const int stride = cellIndex(sx, sy);
        for (int k = 1; k <= steps; ++k) {
            index += stride;
            const int32_t cell = board[index];
            if (cell == colour_) {
                ++count;
                if (gap == 1) {
                    gap = 2;
                }
            } else if (cell != kEmpty) {
                if (gap < 2) {
                    ++gap;
                }
                break;
            } else if (gap != 0) {
                ++openEnds;
                break;
            } else {
                gap = 1;
            }
        }
    }
    if (count == 2 && gap == 2) {
        return openEnds >= 1 ? 3 : 0;
    }
    if (count == 5) {
        return kFiveScore;
    }
    if (openEnds == 0) {
        return 0;
    }
    // Counts of 6 to 9 arise when the one allowed gap joins two runs of own stones: filling that
    // gap then makes five or more, a threat at least as strong as a five in the making, so it
    // scores like a five. Any lower score would let the computer overlook such a threat of
    // either side.
    if (count > 5) {
        return kFiveScore;
    }
    return kLineScore[count][openEnds];
}

int AIPlayer::directionSum(int x, int y, int32_t colour_) const {
    int sum = 0;
    for (const auto& d : kDirections) {
        sum += scoreLine(x, y, colour_, d[0], d[1]);
    }
    return sum;
}

int AIPlayer::lookAhead(int x, int y, int depth_, int32_t colour_) {
    if (depth_ == 0) {
        return 0;
    }
    const int32_t other = colour_ == kBlack ? kWhite : kBlack;
    assert(onBoard(x, y) && (colour_ == kBlack || colour_ == kWhite));
    const int at = cellIndex(x, y);
    assert(board[at] == kEmpty && "the look-ahead restores the point to empty");
    board[at] = colour_;
    --emptyCells;
    int best = 0;
    if (emptyCells > 0) {
        for (int i = 0; i < kBoardSize; ++i) {
            for (int j = 0; j < kBoardSize; ++j) {
                if (board[cellIndex(i, j)] != kEmpty) {
                    continue;
                }
                const int att = directionSum(i, j, colour_);
                const int def = directionSum(i, j, other);
                const int a = lookAhead(i, j, depth_ - 1, colour_);
                const int b = lookAhead(i, j, depth_ - 1, other);
                const int value =
                    positionBonus(i, j) + att + halve(a) - weighDefence(def + halve(b));
                best = std::max(best, value);
            }
        }
    }
    board[at] = kEmpty;
    ++emptyCells;
    return best;
}

AIPlayer::Choice AIPlayer::choose() {
    // The immediate-win scan and the first pass visit the same points in the same x-major order,
    // so one loop serves both: the first winning point found is the one the scan would return.
    //
    // Only the three best candidates matter, so they are kept in place of a sorted array of all
    // of them. Among equal totals the earlier point in x-major order ranks first, which makes the
    // choice independent of any sort implementation.
    Choice choice;
    Candidate* best = choice.shortlist;
    int& kept = choice.shortlisted;
    for (int x = 0; x < kBoardSize; ++x) {
        for (int y = 0; y < kBoardSize; ++y) {
            if (board[cellIndex(x, y)] != kEmpty) {
                continue;
            }
            if (checkFive(board, x, y, colour)) {
                choice.move = {x, y};
                choice.immediateWin = true;
                choice.shortlisted = 0;
                return choice;
            }
            Candidate c;
            c.x = x;
            c.y = y;
            c.position = positionBonus(x, y);
            c.attack = directionSum(x, y, colour);
            c.defence = directionSum(x, y, opponentColour);
            c.total = std::max(c.attack, weighDefence(c.defence)) + c.position;
            if (kept == kRescored && c.total <= best[kRescored - 1].total) {
                continue;
            }
            int slot = kept < kRescored ? kept++ : kRescored - 1;
            while (slot > 0 && best[slot - 1].total < c.total) {
                best[slot] = best[slot - 1];
                --slot;
            }
            best[slot] = c;
        }
    }
    if (kept == 0) {
        return choice;
    }
    for (int i = 0; i < kept; ++i) {
        Candidate& c = best[i];
        if (c.attack < kAttackThreshold && c.defence < kDefenceThreshold) {
            const int a = lookAhead(c.x, c.y, depth, colour);
            c.attack =
                static_cast<int>(kLookAheadWeight * a + (kLookAheadWeight * c.attack + c.position));
            const int b = lookAhead(c.x, c.y, depth, opponentColour);
            c.defence = static_cast<int>(kLookAheadWeight * b +
                                         (kLookAheadWeight * c.defence + c.position));
        }
        c.total = std::max(c.attack, weighDefence(c.defence)) + c.position;
    }
    std::stable_sort(best, best + kept,
                     [](const Candidate& a, const Candidate& b) { return a.total > b.total; });
    choice.move = {best[0].x, best[0].y};
    return choice;
}
