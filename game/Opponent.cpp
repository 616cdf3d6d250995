#include "Opponent.h"

#include "EasyPlayer.h"

#include <algorithm>
#include <cassert>
#include <cctype>

const char* levelName(Level level) {
    switch (level) {
    case Level::Easy:
        return "easy";
    case Level::Hard:
        return "hard";
    case Level::Normal:
        break;
    }
    return "normal";
}

bool parseLevel(const std::string& name, Level& level) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (Level l : {Level::Easy, Level::Normal, Level::Hard}) {
        if (lower == levelName(l)) {
            level = l;
            return true;
        }
    }
    return false;
}

Opponent::Opponent(Level level, int32_t colour_, MoveReceiver* game_, uint64_t seed_)
    : level_(level), game(game_), seed(seed_), normal(colour_, 0, nullptr) {
    assert((colour_ == kBlack || colour_ == kWhite) && "the computer plays a stone colour");
    colour = colour_;
}

Point Opponent::chooseMove(const int32_t* board) {
    switch (level_) {
    case Level::Easy:
        return easyMove(board, colour, seed);
    case Level::Hard:
        return hard.choose(board, colour);
    case Level::Normal:
        break;
    }
    normal.loadBoard(board);
    return normal.chooseMove();
}

void Opponent::think(const int32_t* board) {
    active = true;
    const Point move = chooseMove(board);
    active = false;
    if (move.valid() && game != nullptr) {
        game->computerMove(move.x, move.y);
    }
}
