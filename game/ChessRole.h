#pragma once
// The participants of a single-player game. The game holds both by value and asks `active` to
// know whose turn it is; neither participant knows the other.

#include <cstdint>

class ChessRole {
public:
    virtual ~ChessRole() = default;

    // Ends this participant's turn (the human's) or marks the computer's move as delivered.
    virtual void endTurn() { active = false; }

    // Human: it is this participant's turn. Computer: a move is being computed.
    bool active = false;
    int32_t colour = 0; // 1 black, 2 white; 0 before a game starts
};

class Player : public ChessRole {};
