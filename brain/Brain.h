#pragma once
// A Gomocup (piskvork) brain around the computer opponent, so that any Gomocup manager can drive
// it and it can play other engines. The manager's X is the board's x, its Y the board's y. The
// brain's own stones are colour 1 in the move choice, the manager's opponent's colour 2, whoever
// moved first.
//
// Brain holds the protocol state and turns one input line into the lines to answer; main.cpp
// does the reading and writing. Bad input gets an "ERROR ..." line and changes nothing.

#include "AIPlayer.h"
#include "Opponent.h"

#include <string>
#include <vector>

class Brain : private MoveReceiver {
public:
    // The normal level, looking `depth` plies ahead.
    explicit Brain(int depth);
    // Any level; `depth` is the normal level's look-ahead, which the other levels ignore.
    explicit Brain(Level level, int depth = 0);

    // The lines to write back for one line of input (often one, sometimes none).
    std::vector<std::string> handle(const std::string& line);
    bool finished() const { return done; }

    int32_t cell(int x, int y) const { return cells[cellIndex(x, y)]; }

private:
    void computerMove(int x, int y) override;
    // Chooses, places and reports the brain's own move.
    std::string play();
    std::string boardLine(const std::string& line);
    void clear();

    static constexpr int32_t kOwn = 1;
    static constexpr int32_t kTheirs = 2;

    Level level = Level::Normal;
    int depth;
    int32_t cells[kCellCount] = {};
    bool inBoardList = false;
    bool done = false;
    Point chosen;
};

// Parses "x,y" with both in 0..14 and nothing else but blanks around the numbers.
bool parsePoint(const std::string& text, Point& out);
