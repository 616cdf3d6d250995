#pragma once
// The computer opponent at a level, as the single-player scene and the Gomocup brain hold it.
// Easy is for a beginner (EasyPlayer), Normal is the pattern scorer without look-ahead (AIPlayer
// at depth 0, unchanged), Hard searches forced wins and a few plies ahead (HardPlayer). Like
// AIPlayer it runs synchronously on the caller's thread and hands its move to a MoveReceiver.
// Hard takes up to a few tenths of a second a move; the others well under a millisecond.

#include "AIPlayer.h"
#include "ChessRole.h"
#include "HardPlayer.h"

#include <cstdint>
#include <string>

enum class Level { Easy, Normal, Hard };

// "easy", "normal", "hard".
const char* levelName(Level level);
// The level of one of those names, in any case; false for any other text.
bool parseLevel(const std::string& name, Level& level);

class Opponent : public ChessRole {
public:
    Opponent() = default;
    // `game` is not owned and must outlive every think(). `seed` draws the easy level's
    // mistakes (a new one per game makes each game different); the other levels ignore it.
    Opponent(Level level, int32_t colour, MoveReceiver* game, uint64_t seed = 0);

    // Chooses a point on the game's 225 cells and hands it to the game before returning. On a
    // full board there is no move and the game is not called.
    void think(const int32_t* board);
    // The choice alone: an invalid point when no cell is empty.
    Point chooseMove(const int32_t* board);

    Level level() const { return level_; }

private:
    Level level_ = Level::Normal;
    MoveReceiver* game = nullptr;
    uint64_t seed = 0;
    AIPlayer normal;
    HardPlayer hard;
};
