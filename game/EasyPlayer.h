#pragma once
// The beginner's level. It always takes a five and usually blocks the opponent's four, but
// otherwise plays a point drawn at random from the normal level's few best-scored ones, so it
// leaves openings a beginner can find without ever playing an absurd move. The draws come from a
// seed mixed with the position: with the same seed the same game replays alike.

#include "Board.h"

#include <cstdint>

// `colour`'s move on `board`, an invalid point when no cell is empty.
Point easyMove(const int32_t* board, int32_t colour, uint64_t seed);
