#include "AIPlayer.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstdlib>

namespace {

constexpr double kDefenceWeight = 1.3;
constexpr double kLookAheadWeight = 0.5;
constexpr int kAttackThreshold = 200;
constexpr int kDefenceThreshold = 312;
constexpr int kRescored = 3;
constexpr int32_t kNoValue = INT_MIN / 2; // below every value, and below the look-ahead's floor 0

int weighDefence(int defence) {
    return static_cast<int>(kDefenceWeight * defence);
}
int halve(int value) {
    return static_cast<int>(kLookAheadWeight * value);
}

} // namespace

AIPlayer::AIPlayer() {
    refreshAll();
}

AIPlayer::AIPlayer(int32_t colour_, int32_t depth_, MoveReceiver* game_)
    : depth(depth_), game(game_), opponentColour(colour_ == kBlack ? kWhite : kBlack) {
    assert((colour_ == kBlack || colour_ == kWhite) && "the computer plays a stone colour");
    assert(depth_ >= 0);
    colour = colour_;
    refreshAll();
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
    board.load(gameBoard);
    refreshAll();
}

void AIPlayer::refreshAll() {
    for (int i = 0; i < kCellCount; ++i) {
        refreshLastPly(i);
    }
}

int AIPlayer::positionBonus(int x, int y) {
    return 15 - std::abs(x - kCentre) - std::abs(y - kCentre);
}

int AIPlayer::scoreLine(int x, int y, int32_t colour_, int dx, int dy) const {
    return lineScore(board.cells(), x, y, colour_, dx, dy);
}

void AIPlayer::refreshLastPly(int cell) {
    if (board.at(cell) != kEmpty) {
        lastPly[0][cell] = lastPly[1][cell] = kNoValue;
        return;
    }
    const int bonus = positionBonus(cell / kBoardSize, cell % kBoardSize);
    const int black = board.score(kBlack, cell);
    const int white = board.score(kWhite, cell);
    lastPly[kBlack - 1][cell] = bonus + black - weighDefence(white);
    lastPly[kWhite - 1][cell] = bonus + white - weighDefence(black);
}

void AIPlayer::refreshAround(int cell) {
    refreshLastPly(cell);
    for (int d = 0; d < 4; ++d) {
        const PatternBoard::Ray* ray;
        const int n = PatternBoard::rays(cell, d, ray);
        for (int i = 0; i < n; ++i) {
            refreshLastPly(ray[i].cell);
        }
    }
}

void AIPlayer::placeStone(int cell, int32_t colour_) {
    board.place(cell, colour_);
    refreshAround(cell);
}

void AIPlayer::takeBack(int cell) {
    board.remove(cell);
    refreshAround(cell);
}

int AIPlayer::lookAhead(int x, int y, int depth_, int32_t colour_) {
    if (depth_ == 0) {
        return 0;
    }
    const int32_t other = colour_ == kBlack ? kWhite : kBlack;
    assert(onBoard(x, y) && (colour_ == kBlack || colour_ == kWhite));
    const int at = cellIndex(x, y);
    assert(board.at(at) == kEmpty && "the look-ahead restores the point to empty");
    placeStone(at, colour_);
    int best = 0;
    if (depth_ == 1) {
        // Each point's value is pos + attack - weighDefence(defence) here (both look-aheads
        // below it are 0), which lastPly already holds; occupied points hold kNoValue.
        const int32_t* values = lastPly[colour_ - 1];
        for (int i = 0; i < kCellCount; ++i) {
            best = std::max(best, values[i]);
        }
    } else if (board.empties() > 0) {
        for (int i = 0; i < kBoardSize; ++i) {
            for (int j = 0; j < kBoardSize; ++j) {
                const int cell = cellIndex(i, j);
                if (board.at(cell) != kEmpty) {
                    continue;
                }
                const int att = board.score(colour_, cell);
                const int def = board.score(other, cell);
                const int a = lookAhead(i, j, depth_ - 1, colour_);
                const int b = lookAhead(i, j, depth_ - 1, other);
                const int value =
                    positionBonus(i, j) + att + halve(a) - weighDefence(def + halve(b));
                best = std::max(best, value);
            }
        }
    }
    takeBack(at);
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
            const int cell = cellIndex(x, y);
            if (board.at(cell) != kEmpty) {
                continue;
            }
            if (checkFive(board.cells(), x, y, colour)) {
                choice.move = {x, y};
                choice.immediateWin = true;
                choice.shortlisted = 0;
                return choice;
            }
            Candidate c;
            c.x = x;
            c.y = y;
            c.position = positionBonus(x, y);
            c.attack = board.score(colour, cell);
            c.defence = board.score(opponentColour, cell);
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
