#pragma once
// What the database keeps of a finished game.

#include <cstdint>
#include <ctime>
#include <vector>

enum class GameEnd { Five, Full, Time, Quit };

struct GameMove {
    int8_t x;
    int8_t y;
};

struct GameRecord {
    int32_t blackId = 0;
    int32_t whiteId = 0;
    int32_t outcome = 0; // a GameOutcome: 0 black won, 1 white won, 2 draw
    GameEnd reason = GameEnd::Five;
    std::vector<GameMove> moves; // in the order they were played, black's first
    std::time_t startedAt = 0;
    std::time_t endedAt = 0;
};

const char* gameEndName(GameEnd reason); // "five", "full", "time", "quit"
