#pragma once
// One running game between two logged-in peers: the board, whose move it is, the moves so far
// and the move clock. The rules come from game/; the Lobby owns the game, sends the messages and
// ends it. Io thread only.

#include "GameRecord.h"

#include "Board.h"

#include <asio/io_context.hpp>
#include <asio/steady_timer.hpp>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

class Peer;

class Game : public std::enable_shared_from_this<Game> {
public:
    using TimeoutHandler = std::function<void(Game&)>;

    Game(asio::io_context& io, uint64_t id, Peer& black, Peer& white, std::chrono::seconds moveTime,
         TimeoutHandler onTimeout);

    enum class Play { Refused, Continues, Five, Full };
    // A move by `mover`: refused unless it is that player's turn and (x, y) is an empty point.
    // An accepted move that does not end the game restarts the clock for the other player.
    Play play(const Peer& mover, int32_t x, int32_t y);

    // Starts the clock of the player to move: it has moveTime from now.
    void startClock();
    // For good: the game has ended.
    void stopClock();

    uint64_t id() const { return gameId; }
    Peer& seat(int32_t colour) const { return colour == kBlack ? *black : *white; }
    int32_t colourOf(const Peer& p) const { return &p == black ? kBlack : kWhite; }
    Peer& otherPlayer(const Peer& p) const { return &p == black ? *white : *black; }
    int32_t toMove() const { return turn; }
    // The record so far; the Lobby fills in the end.
    GameRecord& record() { return rec; }

private:
    // What every move reads or writes comes first, on as few cache lines as may be: with
    // thousands of games, a move finds its game cold.
    Peer* black;
    Peer* white;
    int32_t turn = kBlack;
    bool clockArmed = false;
    bool stopped = false;
    // A move only moves the deadline; the timer, armed for an earlier one, looks again when it
    // fires. Cancelling and re-arming it at every move cost more than all the game's judging.
    std::chrono::steady_clock::time_point deadline;
    GameRecord rec;
    std::chrono::seconds moveTime;
    uint64_t gameId;
    asio::steady_timer clock;
    TimeoutHandler onTimeout;
    int32_t board[kCellCount] = {};

    void armClock();
};
