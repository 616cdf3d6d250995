#pragma once
// The computer opponent: a one-ply pattern scorer with an optional look-ahead. It takes an
// immediate five if there is one, otherwise scores every empty point for attack and defence,
// re-scores the best three and plays the best of those. Deterministic, allocation-free, and run
// synchronously on the caller's thread; the chosen point goes back through a MoveReceiver.

#include "Board.h"
#include "ChessRole.h"
#include "PatternBoard.h"

#include <cstdint>

// What the computer hands its move to: the single-player scene, or the Gomocup brain.
class MoveReceiver {
public:
    virtual void computerMove(int x, int y) = 0;

protected:
    ~MoveReceiver() = default;
};

struct Candidate {
    int32_t x;
    int32_t y;
    int32_t attack;
    int32_t defence;
    int32_t position;
    int32_t total;
};

class AIPlayer : public ChessRole {
public:
    AIPlayer();
    // `game` is not owned and must outlive every think().
    AIPlayer(int32_t colour, int32_t depth, MoveReceiver* game);

    // Copies the game's 225 cells, chooses a point and hands it to the game before returning.
    // On a full board there is no move and the game is not called.
    void think(const int32_t* gameBoard);

    // The first step of think(): refreshes the private board the scoring reads.
    void loadBoard(const int32_t* gameBoard);

    // The choice on the private board; an invalid point when no cell is empty.
    Point chooseMove() { return choose().move; }

    // chooseMove() with its reasons: the re-scored shortlist, best first (empty after an
    // immediate win).
    struct Choice {
        Point move;
        bool immediateWin = false;
        int shortlisted = 0;
        Candidate shortlist[3];
    };
    Choice choose();

    // Pattern score of direction (dx, dy) through the empty point (x, y), taken to hold `colour`.
    int scoreLine(int x, int y, int32_t colour, int dx, int dy) const;

    // Value (never negative) of `colour` playing at the empty point (x, y), searched `depth`
    // plies deep in place on the private board, which it leaves as it found it.
    int lookAhead(int x, int y, int depth, int32_t colour);

    static int positionBonus(int x, int y);

    int32_t depth = 0;
    MoveReceiver* game = nullptr;
    int32_t opponentColour = 1;

private:
    void placeStone(int cell, int32_t colour);
    void takeBack(int cell);
    void refreshLastPly(int cell);
    // The cell and every cell on its four lines whose scores it changes.
    void refreshAround(int cell);
    void refreshAll();

    // The line scores are kept stone by stone, so the look-ahead rescores only the points whose
    // lines a stone crosses instead of the whole board.
    PatternBoard board;
    // For each colour just placed: what each empty point is worth to it on the look-ahead's
    // last ply (the value a depth of 1 maximises), and kNoValue on occupied points.
    int32_t lastPly[2][kCellCount];
};
