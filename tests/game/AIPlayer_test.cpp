#include "AIPlayer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Points = std::vector<std::pair<int, int>>;

// A computer of `colour` that has loaded a board of its own and its opponent's stones.
struct Position : MoveReceiver {
    Position(int32_t colour, const Points& own, const Points& opp, int depth = 0)
        : ai(colour, depth, this) {
        for (auto [x, y] : own) {
            cells[cellIndex(x, y)] = colour;
        }
        for (auto [x, y] : opp) {
            cells[cellIndex(x, y)] = opponentOf(colour);
        }
        ai.loadBoard(cells);
    }
    void computerMove(int x, int y) override { moves.push_back({x, y}); }

    int32_t cells[kCellCount] = {};
    AIPlayer ai;
    std::vector<Point> moves;
};

// "(x,y) attack defence position total"
std::string text(const Candidate& c) {
    return "(" + std::to_string(c.x) + "," + std::to_string(c.y) + ") " + std::to_string(c.attack) +
           " " + std::to_string(c.defence) + " " + std::to_string(c.position) + " " +
           std::to_string(c.total);
}

struct Line {
    Points own, opp;
    int x, y, dx, dy;
    int score;
};

// Black's score of one direction through an empty point, worked by hand.
const Line kLines[] = {
    {{}, {}, 0, 0, 1, 1, 1}, // in the corner one end of a line is open, or none
    {{}, {}, 0, 0, 1, -1, 0},
    {{{7, 6}, {7, 7}}, {}, 7, 8, 0, 1, 80}, // three, both ends open
    {{{7, 5}, {7, 7}}, {}, 7, 6, 0, 1, 80},
    {{{7, 7}}, {}, 7, 6, 0, 1, 20},
    {{{7, 7}}, {}, 7, 8, 0, 1, 3}, // two with the gap counted twice
    {{{7, 7}, {7, 8}, {7, 9}}, {{7, 10}}, 7, 6, 0, 1, 120},
    {{{3, 3}, {4, 3}, {6, 3}, {7, 3}}, {}, 5, 3, 1, 0, 2000},
    // Seven within one gap, four of them next to the point: filling (7, 8) makes seven, so it
    // scores like a five; blocked behind, no end is left open and it scores nothing.
    {{{7, 4}, {7, 5}, {7, 7}, {7, 9}, {7, 10}}, {}, 7, 6, 0, 1, 2000},
    {{{7, 4}, {7, 5}, {7, 7}, {7, 9}, {7, 10}}, {{7, 3}}, 7, 6, 0, 1, 0},
    {{{7, 4}, {7, 5}, {7, 7}, {7, 8}}, {{7, 3}, {7, 9}}, 7, 6, 0, 1, 2000}, // five needs no end
    {{{7, 5}, {7, 7}}, {{7, 4}, {7, 8}}, 7, 6, 0, 1, 0},
};

TEST(AIPlayerScoreLine, HandWorkedScores) {
    const Position empty(kBlack, {}, {});
    for (int x = 1; x <= 12; ++x) {
        for (int y = 2; y <= 12; ++y) {
            for (auto [dx, dy] : Points{{1, 1}, {0, 1}, {1, 0}, {1, -1}}) {
                ASSERT_EQ(empty.ai.scoreLine(x, y, kBlack, dx, dy), 3) << x << "," << y;
            }
        }
    }
    for (const Line& l : kLines) {
        const Position p(kBlack, l.own, l.opp);
        EXPECT_EQ(p.ai.scoreLine(l.x, l.y, kBlack, l.dx, l.dy), l.score)
            << l.x << "," << l.y << " towards " << l.dx << "," << l.dy;
    }
}

TEST(AIPlayerChoice, OpensAtTheCentreAndBreaksTiesByTheEarlierPoint) {
    // First pass at (7, 7): attack = defence = 4 * 3, total max(12, 15) + 15. Re-scored at depth
    // 0: 12 / 2 + 15 = 21 each, total max(21, 27) + 15. The four neighbours tie at 40.
    Position p(kBlack, {}, {});
    const AIPlayer::Choice c = p.ai.choose();
    EXPECT_EQ(c.move, (Point{7, 7}));
    ASSERT_EQ(c.shortlisted, 3);
    EXPECT_EQ(text(c.shortlist[0]), "(7,7) 21 21 15 42");
    EXPECT_EQ(text(c.shortlist[1]), "(6,7) 20 20 14 40");
    EXPECT_EQ(text(c.shortlist[2]), "(7,6) 20 20 14 40");
}

TEST(AIPlayerChoice, TakesTheFirstFiveEvenWhenTheOpponentThreatensOne) {
    // Both (4, 12) and (10, 4) complete a five; (4, 12) comes first in x-major order.
    Position p(kWhite, {{10, 5}, {10, 6}, {10, 7}, {10, 8}, {5, 12}, {6, 12}, {7, 12}, {8, 12}},
               {{0, 0}, {0, 1}, {0, 2}, {0, 3}});
    const AIPlayer::Choice c = p.ai.choose();
    EXPECT_TRUE(c.immediateWin);
    EXPECT_EQ(c.move, (Point{4, 12}));
}

TEST(AIPlayerChoice, BlocksAnOpenFourWithoutReScoringIt) {
    // At (7, 9): attack 3 + 1 + 3 + 3 (white at (6, 9) closes the row), defence 2000 + 3 * 3,
    // position 13; a defence of 312 or more keeps the first pass: max(10, 2611) + 13.
    Position p(kBlack, {{7, 7}}, {{3, 9}, {4, 9}, {5, 9}, {6, 9}});
    const AIPlayer::Choice c = p.ai.choose();
    EXPECT_FALSE(c.immediateWin);
    EXPECT_EQ(c.move, (Point{7, 9}));
    EXPECT_EQ(text(c.shortlist[0]), "(7,9) 10 2009 13 2624");
    EXPECT_EQ(text(c.shortlist[1]), "(2,9) 10 2009 8 2619");
}

TEST(AIPlayerChoice, LastEmptyPointsAndAFullBoard) {
    // Pairs of alternating colours down each column, columns alternating: no five anywhere.
    Position p(kBlack, {}, {}, 1);
    for (int i = 0; i < kCellCount; ++i) {
        p.cells[i] = ((i / kBoardSize + (i % kBoardSize) / 2) % 2) ? kWhite : kBlack;
    }
    p.cells[cellIndex(0, 0)] = p.cells[cellIndex(14, 14)] = kEmpty;
    p.ai.loadBoard(p.cells);
    // One ply ahead only the other empty point is left, and every line there is closed: its
    // value is its position bonus, 15 - 7 - 7.
    EXPECT_EQ(p.ai.lookAhead(0, 0, 1, kBlack), 1);
    EXPECT_EQ(p.ai.lookAhead(0, 0, 0, kBlack), 0);
    const AIPlayer::Choice c = p.ai.choose();
    ASSERT_FALSE(c.immediateWin);
    EXPECT_EQ(c.shortlisted, 2);
    EXPECT_TRUE(c.move == (Point{0, 0}) || c.move == (Point{14, 14}));

    p.cells[cellIndex(0, 0)] = kBlack;
    p.cells[cellIndex(14, 14)] = kWhite;
    p.ai.think(p.cells);
    EXPECT_TRUE(p.moves.empty());
    EXPECT_FALSE(p.ai.chooseMove().valid());
}

} // namespace
