#include "Opponent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

namespace {

using Points = std::vector<std::pair<int, int>>;

// Positions for the hard level.
struct Tactic {
    const char* name;
    Points own, theirs; // the computer plays black and is to move
    Points answers;     // every right move, worked out by hand
};

const Tactic kTactics[] = {
    {"takes its five though the opponent has a four",
     {{3, 4}, {4, 4}, {5, 4}, {6, 4}, {12, 1}},
     {{2, 4}, {9, 9}, {9, 10}, {9, 11}, {9, 12}},
     {{7, 4}}},
    {"blocks a four", {{2, 9}, {7, 7}, {8, 8}, {1, 1}}, {{3, 9}, {4, 9}, {5, 9}, {6, 9}}, {{7, 9}}},
    // Lost either way, but one end is still blocked rather than anything else played.
    {"blocks an open four at one end",
     {{7, 7}, {8, 8}, {1, 1}, {13, 13}},
     {{3, 9}, {4, 9}, {5, 9}, {6, 9}},
     {{2, 9}, {7, 9}}},
    // Farther out, (3, 5) or (9, 5) would still leave a straight four with both ends open.
    {"blocks an open three next to it",
     {{7, 7}, {8, 8}, {1, 13}},
     {{5, 5}, {6, 5}, {7, 5}},
     {{4, 5}, {8, 5}}},
    // White's (7, 7) would make a four on row 7 (five at (6, 7)) and the open three
    // (7, 7)-(7, 9): a four-three. Taking (7, 7) or (6, 7) stops it; so do (7, 6) and (7, 10),
    // after which the column makes only a four that can be blocked. Black's stones at (4, 6),
    // (8, 10) and (6, 9) close white's other lines.
    {"stops a four-three coming next move",
     {{2, 7}, {4, 6}, {8, 10}, {6, 9}, {12, 12}, {1, 12}},
     {{3, 7}, {4, 7}, {5, 7}, {7, 8}, {7, 9}, {0, 0}},
     {{6, 7}, {7, 6}, {7, 7}, {7, 10}}},
    // Two closed threes: diagonal (2, 4)-(4, 6) fours at (5, 7) or (6, 8), anti-diagonal
    // (10, 2)-(8, 4) at (7, 5) or (6, 6). (5, 7) then (7, 5) fill row 7 and column 7 up to a
    // double four at (7, 7), in either order. (6, 6) forces white to (7, 5) and leaves
    // (4, 6) _ (6, 6) (7, 6): (5, 6) makes an open four. (6, 8) forces (5, 7), then (6, 6)
    // forces (7, 5) and (5, 6) again makes the open four.
    {"wins by continuous fours",
     {{4, 7}, {6, 7}, {7, 4}, {7, 6}, {2, 4}, {3, 5}, {4, 6}, {8, 4}, {9, 3}, {10, 2}},
     {{3, 7}, {7, 3}, {1, 3}, {11, 1}, {0, 14}, {14, 14}, {14, 0}, {12, 12}, {1, 12}, {13, 8}},
     {{5, 7}, {6, 6}, {6, 8}, {7, 5}}},
};

void setUp(int32_t* cells, const Points& own, const Points& theirs) {
    std::fill(cells, cells + kCellCount, kEmpty);
    for (auto [x, y] : own) {
        cells[cellIndex(x, y)] = kBlack;
    }
    for (auto [x, y] : theirs) {
        cells[cellIndex(x, y)] = kWhite;
    }
}

TEST(Opponent, TacticalPositions) {
    for (const Tactic& t : kTactics) {
        int32_t cells[kCellCount];
        setUp(cells, t.own, t.theirs);
        Opponent computer(Level::Hard, kBlack, nullptr);
        const Point p = computer.chooseMove(cells);
        EXPECT_NE(std::find(t.answers.begin(), t.answers.end(), std::make_pair(p.x, p.y)),
                  t.answers.end())
            << t.name << ": played " << p.x << "," << p.y;
    }
}

TEST(Opponent, EasyTakesAFiveWhateverItsSeed) {
    int32_t cells[kCellCount];
    setUp(cells, kTactics[0].own, kTactics[0].theirs);
    for (uint64_t seed = 0; seed < 200; ++seed) {
        ASSERT_EQ(Opponent(Level::Easy, kBlack, nullptr, seed).chooseMove(cells), (Point{7, 4}))
            << "seed " << seed;
    }
}

struct Receiver : MoveReceiver {
    std::vector<Point> moves;
    void computerMove(int x, int y) override { moves.push_back({x, y}); }
};

// A whole game between two computers through think(), as the single-player scene drives one:
// the number of moves to a five or a full board, or -1 at the first move not handed over once on
// an empty point.
template <class Black, class White>
int playOut(Black& black, White& white, Receiver& heard) {
    int32_t cells[kCellCount] = {};
    for (int move = 0; move < kCellCount; ++move) {
        const int32_t colour = move % 2 ? kWhite : kBlack;
        heard.moves.clear();
        move % 2 ? white.think(cells) : black.think(cells);
        if (heard.moves.size() != 1 || black.active || white.active ||
            cells[cellIndex(heard.moves[0].x, heard.moves[0].y)] != kEmpty) {
            return -1;
        }
        const Point p = heard.moves[0];
        cells[cellIndex(p.x, p.y)] = colour;
        if (checkFive(cells, p.x, p.y, colour) || isBoardFull(cells)) {
            return move + 1;
        }
    }
    return -1;
}

TEST(Opponent, WholeGamesEndInAFiveOrAFullBoardNeverOnAnOccupiedPoint) {
    Receiver heard;
    for (int depth : {0, 1}) { // the normal level's scorer, looking ahead or not
        AIPlayer black(kBlack, depth, &heard), white(kWhite, 0, &heard);
        EXPECT_GT(playOut(black, white, heard), 0) << "depth " << depth;
    }
    std::set<int> lengths; // the seeds should make the easy level's games differ
    for (uint64_t seed = 0; seed < 12; ++seed) {
        Opponent black(Level::Easy, kBlack, &heard, seed);
        Opponent white(Level::Easy, kWhite, &heard, seed + 100);
        const int moves = playOut(black, white, heard);
        EXPECT_GT(moves, 0) << "seed " << seed;
        lengths.insert(moves);
    }
    EXPECT_GT(lengths.size(), 3u);
}

TEST(Opponent, EveryLevelHandsItsMoveToTheGameAndNoneOnAFullBoard) {
    for (Level level : {Level::Easy, Level::Normal, Level::Hard}) {
        Receiver game;
        Opponent computer(level, kWhite, &game, 1);
        int32_t cells[kCellCount] = {};
        cells[cellIndex(7, 7)] = kBlack;
        computer.think(cells);
        ASSERT_EQ(game.moves.size(), 1u) << levelName(level);
        EXPECT_EQ(cells[cellIndex(game.moves[0].x, game.moves[0].y)], kEmpty);
        EXPECT_FALSE(computer.active);
        std::fill(cells, cells + kCellCount, kBlack);
        computer.think(cells);
        EXPECT_EQ(game.moves.size(), 1u) << levelName(level);
    }
}

} // namespace
