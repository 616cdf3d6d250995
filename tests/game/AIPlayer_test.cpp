#include "AIPlayer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <utility>
#include <vector>

namespace {

struct Recorder : MoveReceiver {
    std::vector<Point> moves;
    void computerMove(int x, int y) override { moves.push_back({x, y}); }
};

// A computer of `colour` looking at a board with the given stones.
struct Position {
    int32_t cells[kCellCount] = {};
    AIPlayer ai;

    explicit Position(int32_t colour = kBlack, int depth = 0) : ai(colour, depth, nullptr) {}
    Position& own(std::initializer_list<std::pair<int, int>> points) {
        return put(points, ai.colour);
    }
    Position& opp(std::initializer_list<std::pair<int, int>> points) {
        return put(points, ai.opponentColour);
    }
    Position& put(std::initializer_list<std::pair<int, int>> points, int32_t c) {
        for (auto [x, y] : points) {
            cells[cellIndex(x, y)] = c;
        }
        ai.loadBoard(cells);
        return *this;
    }
    int sum(int x, int y, int32_t colour) const {
        static constexpr int dirs[4][2] = {{1, 1}, {0, 1}, {1, 0}, {1, -1}};
        int s = 0;
        for (const auto& d : dirs) {
            s += ai.scoreLine(x, y, colour, d[0], d[1]);
        }
        return s;
    }
};

TEST(AIPlayerScoreLine, EmptyBoardWorkedValues) {
    Position p;
    for (int x = 1; x <= 12; ++x) {
        for (int y = 2; y <= 12; ++y) {
            for (auto [dx, dy] : {std::pair{1, 1}, {0, 1}, {1, 0}, {1, -1}}) {
                ASSERT_EQ(p.ai.scoreLine(x, y, kBlack, dx, dy), 3) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(p.ai.scoreLine(0, 0, kBlack, 1, 1), 1);
    EXPECT_EQ(p.ai.scoreLine(0, 0, kBlack, 0, 1), 1);
    EXPECT_EQ(p.ai.scoreLine(0, 0, kBlack, 1, 0), 1);
    EXPECT_EQ(p.ai.scoreLine(0, 0, kBlack, 1, -1), 0);
}

TEST(AIPlayerScoreLine, ColumnWorkedValues) {
    EXPECT_EQ(Position().own({{7, 6}, {7, 7}}).ai.scoreLine(7, 8, kBlack, 0, 1), 80);
    EXPECT_EQ(Position().own({{7, 5}, {7, 7}}).ai.scoreLine(7, 6, kBlack, 0, 1), 80);
    Position one;
    one.own({{7, 7}});
    EXPECT_EQ(one.ai.scoreLine(7, 6, kBlack, 0, 1), 20);
    EXPECT_EQ(one.ai.scoreLine(7, 8, kBlack, 0, 1), 3); // count 2 with gap 2
    Position blocked;
    blocked.own({{7, 7}, {7, 8}, {7, 9}}).opp({{7, 10}});
    EXPECT_EQ(blocked.ai.scoreLine(7, 6, kBlack, 0, 1), 120);
}

TEST(AIPlayerScoreLine, FivesAndLongerLinesThroughAGap) {
    Position five;
    five.own({{3, 3}, {4, 3}, {6, 3}, {7, 3}});
    EXPECT_EQ(five.ai.scoreLine(5, 3, kBlack, 1, 0), 2000);
    // Own stones at y = 4, 5, 7, 9, 10 around (7, 6): seven within one gap, four of them
    // contiguous with the point. Filling (7, 8) would make seven, so it scores like a five.
    Position longer;
    longer.own({{7, 4}, {7, 5}, {7, 7}, {7, 9}, {7, 10}});
    EXPECT_FALSE(checkFive(longer.cells, 7, 6, kBlack));
    EXPECT_EQ(longer.ai.scoreLine(7, 6, kBlack, 0, 1), 2000);
    // Blocked behind: the forward walk ends on its fourth cell, which opens no end, so no open
    // end is left and the long line scores nothing.
    longer.opp({{7, 3}});
    EXPECT_EQ(longer.ai.scoreLine(7, 6, kBlack, 0, 1), 0);
    Position closed;
    closed.own({{7, 4}, {7, 5}, {7, 7}, {7, 8}}).opp({{7, 3}, {7, 9}});
    EXPECT_EQ(closed.ai.scoreLine(7, 6, kBlack, 0, 1), 2000) << "a count of five ignores ends";
    Position dead;
    dead.own({{7, 5}, {7, 7}}).opp({{7, 4}, {7, 8}});
    EXPECT_EQ(dead.ai.scoreLine(7, 6, kBlack, 0, 1), 0);
}

TEST(AIPlayerChoice, OpensAtTheCentreWithTheWorkedTotals) {
    Position p;
    const AIPlayer::Choice c = p.ai.choose();
    EXPECT_EQ(c.move, (Point{7, 7}));
    ASSERT_EQ(c.shortlisted, 3);
    EXPECT_EQ(c.shortlist[0].attack, 21);
    EXPECT_EQ(c.shortlist[0].defence, 21);
    EXPECT_EQ(c.shortlist[0].total, 42);
    EXPECT_EQ(c.shortlist[1].total, 40);
    EXPECT_EQ(c.shortlist[2].total, 40);
}

TEST(AIPlayerChoice, TakesTheFirstFiveEvenWhenTheOpponentThreatensOne) {
    Position p(kWhite);
    p.opp({{0, 0}, {0, 1}, {0, 2}, {0, 3}});
    p.own({{10, 5}, {10, 6}, {10, 7}, {10, 8}, {5, 12}, {6, 12}, {7, 12}, {8, 12}});
    // Both (4, 12) and (10, 4) complete a five; (4, 12) comes first in x-major order.
    const AIPlayer::Choice c = p.ai.choose();
    EXPECT_TRUE(c.immediateWin);
    EXPECT_EQ(c.move, (Point{4, 12}));
}

TEST(AIPlayerChoice, BlocksAFiveWithoutReScoringIt) {
    Position p(kBlack);
    p.own({{7, 7}});
    p.opp({{3, 9}, {4, 9}, {5, 9}, {6, 9}}); // open four: (2, 9) and (7, 9)
    const AIPlayer::Choice c = p.ai.choose();
    EXPECT_FALSE(c.immediateWin);
    ASSERT_GE(c.shortlisted, 2);
    const Candidate& top = c.shortlist[0];
    EXPECT_TRUE(c.move == (Point{2, 9}) || c.move == (Point{7, 9}));
    // Not re-scored: defence keeps its first-pass value, total is recomputed from it alone.
    EXPECT_EQ(top.defence, p.sum(top.x, top.y, kWhite));
    EXPECT_GE(top.defence, 2000);
    EXPECT_EQ(top.total, std::max(top.attack, static_cast<int>(1.3 * top.defence)) + top.position);
}

TEST(AIPlayerChoice, DepthZeroReScoringHalvesAndAddsThePositionBonus) {
    Position p(kWhite);
    p.opp({{7, 7}, {8, 8}}).own({{6, 6}});
    const AIPlayer::Choice c = p.ai.choose();
    ASSERT_EQ(c.shortlisted, 3);
    for (int i = 0; i < 3; ++i) {
        const Candidate& k = c.shortlist[i];
        const int attack = p.sum(k.x, k.y, kWhite);
        const int defence = p.sum(k.x, k.y, kBlack);
        ASSERT_LT(attack, 200);
        ASSERT_LT(defence, 312);
        EXPECT_EQ(k.position, AIPlayer::positionBonus(k.x, k.y));
        EXPECT_EQ(k.attack, static_cast<int>(0.5 * attack + k.position));
        EXPECT_EQ(k.defence, static_cast<int>(0.5 * defence + k.position));
        EXPECT_EQ(k.total, std::max(k.attack, static_cast<int>(1.3 * k.defence)) + k.position);
        if (i > 0) {
            EXPECT_GE(c.shortlist[i - 1].total, k.total);
        }
    }
}

TEST(AIPlayerChoice, ShortlistIsTheBestThreeOfTheFirstPass) {
    // Whatever the re-scoring does, the move is one of the three best first-pass points.
    Position p(kBlack);
    p.own({{7, 7}, {8, 7}, {6, 9}}).opp({{7, 8}, {8, 8}, {9, 9}});
    std::vector<std::pair<int, int>> firstPass; // (total, index)
    for (int x = 0; x < kBoardSize; ++x) {
        for (int y = 0; y < kBoardSize; ++y) {
            if (p.cells[cellIndex(x, y)] == kEmpty) {
                const int total =
                    std::max(p.sum(x, y, kBlack), static_cast<int>(1.3 * p.sum(x, y, kWhite))) +
                    AIPlayer::positionBonus(x, y);
                firstPass.push_back({total, cellIndex(x, y)});
            }
        }
    }
    std::stable_sort(firstPass.begin(), firstPass.end(),
                     [](auto& a, auto& b) { return a.first > b.first; });
    const AIPlayer::Choice c = p.ai.choose();
    ASSERT_EQ(c.shortlisted, 3);
    for (int i = 0; i < 3; ++i) {
        bool found = false;
        for (int j = 0; j < 3; ++j) {
            found |= cellIndex(c.shortlist[i].x, c.shortlist[i].y) == firstPass[j].second;
        }
        EXPECT_TRUE(found) << "shortlist entry " << i;
    }
}

TEST(AIPlayerChoice, FewerThanThreeEmptyPointsAndAFullBoard) {
    Position p;
    for (int i = 0; i < kCellCount; ++i) {
        // Columns of alternating colours in pairs: no five anywhere.
        p.cells[i] = ((i / kBoardSize + (i % kBoardSize) / 2) % 2) ? kWhite : kBlack;
    }
    p.cells[cellIndex(0, 0)] = kEmpty;
    p.cells[cellIndex(14, 14)] = kEmpty;
    p.ai.loadBoard(p.cells);
    AIPlayer::Choice c = p.ai.choose();
    ASSERT_FALSE(c.immediateWin);
    EXPECT_EQ(c.shortlisted, 2);
    EXPECT_TRUE(c.move == (Point{0, 0}) || c.move == (Point{14, 14}));

    p.cells[cellIndex(0, 0)] = kBlack;
    p.cells[cellIndex(14, 14)] = kWhite;
    p.ai.loadBoard(p.cells);
    EXPECT_FALSE(p.ai.chooseMove().valid());
    Recorder r;
    AIPlayer ai(kBlack, 0, &r);
    ai.think(p.cells);
    EXPECT_TRUE(r.moves.empty());
}

TEST(AIPlayerLookAhead, RestoresTheBoardAndIsNeverNegative) {
    Position p(kBlack, 2);
    p.own({{7, 7}, {8, 8}}).opp({{7, 8}, {6, 6}, {9, 9}});
    EXPECT_EQ(p.ai.lookAhead(5, 5, 0, kBlack), 0);
    const int v1 = p.ai.lookAhead(6, 7, 1, kWhite);
    EXPECT_GE(v1, 0);
    const int v2 = p.ai.lookAhead(6, 7, 2, kWhite);
    EXPECT_GE(v2, 0);
    // The board is as before: a second call gives the same value, and the scores did not move.
    EXPECT_EQ(p.ai.lookAhead(6, 7, 1, kWhite), v1);
    Position fresh(kBlack, 2);
    fresh.own({{7, 7}, {8, 8}}).opp({{7, 8}, {6, 6}, {9, 9}});
    for (int x = 0; x < kBoardSize; ++x) {
        for (int y = 0; y < kBoardSize; ++y) {
            ASSERT_EQ(p.sum(x, y, kBlack), fresh.sum(x, y, kBlack));
        }
    }
}

TEST(AIPlayerLookAhead, DepthOneMatchesItsDefinition) {
    Position p(kBlack, 1);
    p.own({{7, 7}}).opp({{8, 7}});
    const int value = p.ai.lookAhead(6, 6, 1, kBlack);
    // By hand: place black at (6, 6), then the best of position + att - trunc(1.3 * def).
    Position placed(kBlack);
    placed.own({{7, 7}, {6, 6}}).opp({{8, 7}});
    int best = 0;
    for (int x = 0; x < kBoardSize; ++x) {
        for (int y = 0; y < kBoardSize; ++y) {
            if (placed.cells[cellIndex(x, y)] == kEmpty) {
                const int v = AIPlayer::positionBonus(x, y) + placed.sum(x, y, kBlack) -
                              static_cast<int>(1.3 * placed.sum(x, y, kWhite));
                best = std::max(best, v);
            }
        }
    }
    EXPECT_EQ(value, best);
}

TEST(AIPlayerThink, HandsItsMoveToTheGameOnceAndEndsInactive) {
    Recorder r;
    AIPlayer ai(kWhite, 0, &r);
    EXPECT_EQ(ai.opponentColour, kBlack);
    EXPECT_FALSE(ai.active);
    int32_t cells[kCellCount] = {};
    cells[cellIndex(7, 7)] = kBlack;
    ai.think(cells);
    ASSERT_EQ(r.moves.size(), 1u);
    EXPECT_FALSE(ai.active);
    EXPECT_EQ(cells[cellIndex(r.moves[0].x, r.moves[0].y)], kEmpty);
    EXPECT_EQ(std::abs(r.moves[0].x - 7) + std::abs(r.moves[0].y - 7), 1);
}

} // namespace
