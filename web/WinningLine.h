#pragma once
// The stones to mark at the end of a game won by five: the longest line of five or more through
// the last move, by the rules of game/Board.h.

#include "GameRecord.h"

#include <vector>

// Empty unless the game ended by five and the last move makes one.
std::vector<GameMove> winningLine(const std::vector<GameMove>& moves, GameEnd reason);
