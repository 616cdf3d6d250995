#include "AIPlayer.h"

#include <gtest/gtest.h>

namespace {

// Two computers play a whole game through the public operations only, as the single-player
// scene drives one of them.
struct Table : MoveReceiver {
    int32_t cells[kCellCount] = {};
    Point last;
    int calls = 0;
    void computerMove(int x, int y) override {
        last = {x, y};
        ++calls;
    }
};

void playGame(int blackDepth, int whiteDepth) {
    Table table;
    AIPlayer black(kBlack, blackDepth, &table);
    AIPlayer white(kWhite, whiteDepth, &table);
    int32_t mover = kBlack;
    for (int move = 0; move < kCellCount; ++move) {
        const int before = table.calls;
        (mover == kBlack ? black : white).think(table.cells);
        ASSERT_EQ(table.calls, before + 1) << "move " << move;
        ASSERT_TRUE(table.last.valid());
        int32_t& cell = table.cells[cellIndex(table.last.x, table.last.y)];
        ASSERT_EQ(cell, kEmpty) << "move " << move << " on an occupied point";
        cell = mover;
        if (checkFive(table.cells, table.last.x, table.last.y, mover)) {
            SUCCEED() << "five after " << move + 1 << " moves";
            return;
        }
        if (isBoardFull(table.cells)) {
            return;
        }
        mover = opponentOf(mover);
    }
    FAIL() << "the game did not end within 225 moves";
}

TEST(SelfPlay, DepthZeroGameEndsInAFiveOrAFullBoard) {
    playGame(0, 0);
}
TEST(SelfPlay, MixedDepthsGameEnds) {
    playGame(1, 0);
}

} // namespace
