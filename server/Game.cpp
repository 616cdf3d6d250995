#include "Game.h"

#include "Peer.h"

Game::Game(asio::io_context& io, uint64_t id, Peer& black, Peer& white,
           std::chrono::seconds moveTime, TimeoutHandler onTimeout)
    : black(&black), white(&white), moveTime(moveTime), gameId(id), clock(io),
      onTimeout(std::move(onTimeout)) {
    rec.blackId = black.state.userId;
    rec.whiteId = white.state.userId;
    rec.startedAt = std::time(nullptr);
    rec.moves.reserve(kCellCount); // one allocation for any game
}

Game::Play Game::play(const Peer& mover, int32_t x, int32_t y) {
    if (&mover != &seat(turn) || !onBoard(x, y) || board[cellIndex(x, y)] != kEmpty) {
        return Play::Refused;
    }
    board[cellIndex(x, y)] = turn;
    rec.moves.push_back({int8_t(x), int8_t(y)});
    if (checkFive(board, x, y, turn)) {
        return Play::Five;
    }
    if (rec.moves.size() == size_t(kCellCount)) { // every move took an empty point
        return Play::Full;
    }
    turn = opponentOf(turn);
    startClock();
    return Play::Continues;
}

void Game::startClock() {
    deadline = std::chrono::steady_clock::now() + moveTime;
    if (!clockArmed) {
        armClock();
    }
}

void Game::armClock() {
    clockArmed = true;
    clock.expires_at(deadline);
    // The handler may outlive the game (a cancelled wait still runs). A wait that ran out with a
    // move on its way may already be queued when the move comes: the move count tells it that the
    // deadline it was armed for is no longer the one that counts.
    std::weak_ptr<Game> self = weak_from_this();
    const size_t ply = rec.moves.size();
    clock.async_wait([self, ply](const std::error_code& ec) {
        std::shared_ptr<Game> game = self.lock();
        if (!game) {
            return;
        }
        game->clockArmed = false;
        if (ec || game->stopped) {
            return;
        }
        if (game->rec.moves.size() != ply || std::chrono::steady_clock::now() < game->deadline) {
            game->armClock();
            return;
        }
        game->onTimeout(*game);
    });
}

void Game::stopClock() {
    stopped = true;
    clock.cancel();
}
