#include "AIPlayer.h"
#include "ThreatBoard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

// The look-ahead as it was before the scores were kept incrementally: every point rescored from
// the board at every node. The reference the incremental one must equal.
int fullLookAhead(int32_t* board, int cell, int depth, int32_t colour) {
    if (depth == 0) {
        return 0;
    }
    const int32_t other = opponentOf(colour);
    board[cell] = colour;
    int best = 0;
    for (int q = 0; q < kCellCount; ++q) {
        if (board[q] != kEmpty) {
            continue;
        }
        const int x = q / kBoardSize, y = q % kBoardSize;
        int att = 0, def = 0;
        for (const auto& d : kLineDirections) {
            att += lineScore(board, x, y, colour, d[0], d[1]);
            def += lineScore(board, x, y, other, d[0], d[1]);
        }
        const int a = fullLookAhead(board, q, depth - 1, colour);
        const int b = fullLookAhead(board, q, depth - 1, other);
        best = std::max(best, AIPlayer::positionBonus(x, y) + att + static_cast<int>(0.5 * a) -
                                  static_cast<int>(1.3 * (def + static_cast<int>(0.5 * b))));
    }
    board[cell] = kEmpty;
    return best;
}

std::string where(int cell, int32_t colour) {
    return std::to_string(cell / kBoardSize) + "," + std::to_string(cell % kBoardSize) +
           " colour " + std::to_string(colour);
}

// Every code, line score, sum and threat set kept stone by stone equals what a fresh load of
// the same cells computes, and the line scores equal lineScore() walking the board, over random
// runs of placing and taking back stones (edges and corners included).
TEST(PatternBoard, IncrementalScoresEqualAFullRescoring) {
    const int16_t* table = lineScoreTable();
    std::mt19937 random(20261207);
    for (int run = 0; run < 8; ++run) {
        ThreatBoard kept;
        int32_t cells[kCellCount] = {};
        std::vector<int> stones;
        for (int step = 0; step < 120; ++step) {
            if (!stones.empty() && random() % 4 == 0) {
                const size_t i = random() % stones.size();
                kept.remove(stones[i]);
                cells[stones[i]] = kEmpty;
                stones.erase(stones.begin() + static_cast<long>(i));
            } else {
                int cell;
                do {
                    cell = static_cast<int>(random() % kCellCount);
                } while (cells[cell] != kEmpty);
                cells[cell] = random() % 2 ? kBlack : kWhite;
                kept.place(cell, cells[cell]);
                stones.push_back(cell);
            }
            if (step % 10 != 9) {
                continue;
            }
            ThreatBoard fresh;
            fresh.load(cells);
            for (int32_t colour = kBlack; colour <= kWhite; ++colour) {
                const PatternBoard& p = kept.patterns();
                int total = 0;
                for (int cell = 0; cell < kCellCount; ++cell) {
                    int sum = 0;
                    for (int d = 0; d < 4; ++d) {
                        ASSERT_EQ(p.code(colour, cell, d), fresh.patterns().code(colour, cell, d))
                            << where(cell, colour);
                        const int walked =
                            lineScore(cells, cell / kBoardSize, cell % kBoardSize, colour,
                                      kLineDirections[d][0], kLineDirections[d][1]);
                        ASSERT_EQ(table[p.code(colour, cell, d)], walked) << where(cell, colour);
                        sum += walked;
                    }
                    ASSERT_EQ(p.score(colour, cell), sum) << where(cell, colour);
                    total += cells[cell] == kEmpty ? sum : 0;
                }
                ASSERT_EQ(p.total(colour), total);
                for (auto set : {&ThreatBoard::fives, &ThreatBoard::fours, &ThreatBoard::forks,
                                 &ThreatBoard::threes}) {
                    const CellSet &a = (kept.*set)(colour), &b = (fresh.*set)(colour);
                    ASSERT_TRUE(std::equal(a.words, a.words + 4, b.words)) << "colour " << colour;
                }
            }
        }
    }
}

TEST(PatternBoard, LookAheadEqualsTheFullRescoring) {
    std::mt19937 random(7);
    for (int run = 0; run < 4; ++run) {
        // Crowded boards keep the full rescoring at depth 2 quick.
        int32_t cells[kCellCount] = {};
        for (int n = 0; n < 160; ++n) {
            cells[random() % kCellCount] = random() % 2 ? kBlack : kWhite;
        }
        AIPlayer ai(kBlack, 0, nullptr);
        ai.loadBoard(cells);
        int tried = 0;
        for (int cell = 0; cell < kCellCount && tried < 3; ++cell) {
            if (cells[cell] != kEmpty) {
                continue;
            }
            ++tried;
            for (int depth = 1; depth <= 2; ++depth) {
                for (int32_t colour = kBlack; colour <= kWhite; ++colour) {
                    EXPECT_EQ(ai.lookAhead(cell / kBoardSize, cell % kBoardSize, depth, colour),
                              fullLookAhead(cells, cell, depth, colour))
                        << where(cell, colour) << " depth " << depth;
                }
            }
        }
    }
}

struct ShapeCase {
    const char* line; // the point is '*', own 'x', theirs 'o', empty '.', the edge '|'
    Shape shape;
};

// Black's shape through the point along x, with the line laid out around (7, 7) or against an
// edge.
const ShapeCase kShapes[] = {
    {"..xx*xx..", kShapeFive},      {"..xxx*o..", kShapeFour},     {".ox.x*x..", kShapeFour},
    {"...xx*x..", kShapeOpenFour},  {"..x.x*x.x", kShapeOpenFour}, {"...x.*x..", kShapeOpenThree},
    {"....x*x..", kShapeOpenThree}, {"|x*x.", kShapeThree},        {"..ox*x...", kShapeThree},
    {"....*x...", kShapeOpenTwo},   {"ooo.*.ooo", kShapeNone},
};

TEST(Shapes, HandWorkedLines) {
    for (const ShapeCase& c : kShapes) {
        const std::string line = c.line;
        const int at = static_cast<int>(line.find('*'));
        const int edge = static_cast<int>(line.find('|'));
        // With an edge, the cell after '|' is x = 0.
        const int x0 = edge >= 0 ? -edge - 1 : kCentre - at;
        int32_t cells[kCellCount] = {};
        for (int i = 0; i < static_cast<int>(line.size()); ++i) {
            const int x = x0 + i;
            if (onBoard(x, kCentre) && (line[i] == 'x' || line[i] == 'o')) {
                cells[cellIndex(x, kCentre)] = line[i] == 'x' ? kBlack : kWhite;
            }
        }
        ThreatBoard board;
        board.load(cells);
        EXPECT_EQ(board.shape(kBlack, cellIndex(x0 + at, kCentre), 2), c.shape) << c.line;
    }
}

} // namespace
