#pragma once
// A finished game as an SGF (Smart Game Format, FF[4]) file, the format board-game viewers read
// for five-in-a-row too (GM[4]), and the name of its file.

#include "GameRecord.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

struct ExportedGame {
    int64_t id = 0;
    std::string black, white; // the players' names
    int32_t outcome = 0;      // 0 black won, 1 white won, 2 draw
    GameEnd reason = GameEnd::Five;
    std::vector<GameMove> moves; // our coordinates: x to the right, y upward from the bottom row
    std::tm started{}, ended{};  // UTC
};

std::string sgfText(const ExportedGame& game);

// "YYYYMMDD-HHMM-<id>.sgf" from the end time: names sort as the games ended (ids are padded to
// six digits; games ending in the same minute sort by id).
std::string sgfFileName(const ExportedGame& game);
