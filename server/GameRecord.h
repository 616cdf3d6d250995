#pragma once
// What the database keeps of a finished game, and the text forms it stores it in: the store
// writes them and the export reads them back, so both sides live here. So does the one-line form
// of a whole record, kept in a file while the database cannot take it.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
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
std::optional<GameEnd> parseGameEnd(const std::string& text);

// "x,y x,y ...", black's move first.
std::string movesText(const std::vector<GameMove>& moves);
// Nothing when a pair is malformed or off the board.
std::optional<std::vector<GameMove>> parseMovesText(const std::string& text);

// "BLACK WHITE OUTCOME REASON STARTED ENDED MOVES": ids, the outcome's number, the reason's
// name, the times in seconds since 1970, and the moves as movesText writes them.
std::string recordLine(const GameRecord& record);
// Nothing when any part is malformed.
std::optional<GameRecord> parseRecordLine(const std::string& line);

// "YYYY-MM-DD HH:MM:SSZ", in UTC.
std::string utcText(std::time_t when);
bool parseUtcText(const std::string& text, std::tm& out);
