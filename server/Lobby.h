#pragma once
// Who is online, who waits for an opponent, and the running games: connections and logins (a
// second login of an account ends its older connection), the first-come first-served match
// queue, moves, the clock, and every way a game ends. It sends the pushes itself and hands
// finished games to Accounts; what tells a game's end goes out once its record has committed.
// Io thread only.

#include "Game.h"

#include <asio/io_context.hpp>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>

class Accounts;
class Peer;

class Lobby {
public:
    // `seed` draws the colours.
    Lobby(asio::io_context& io, Accounts& accounts, std::chrono::seconds moveTime, uint32_t seed);

    // Gives the connection its number, never reused.
    void opened(Peer& peer);
    // The peer of a connection; null once it has closed.
    Peer* find(uint64_t connection) const;
    // The connection is gone: as a logout, without an answer.
    void closed(Peer& peer);

    // Logs `peer` in as the user; another connection of that user is logged out and ended.
    void login(Peer& peer, int32_t userId, const std::string& name);
    // False when the peer was not logged in. A game it plays in ends as its quit.
    bool logout(Peer& peer);
    // True when the peer is (or already was) waiting; false when not logged in or in a game.
    bool join(Peer& peer);
    // True when the peer was waiting and no longer is.
    bool cancel(Peer& peer);

    struct MoveAnswer {
        bool accepted = false;
        bool over = false;
        int32_t outcome = 0;
    };
    MoveAnswer move(Peer& peer, int32_t x, int32_t y);
    // Leaves the peer's running game, if any, as a quit.
    void quit(Peer& peer);
    // At shutdown: the running games stop where they are, unrecorded.
    void abandonGames();

    size_t runningGames() const { return games.size(); }
    size_t playersOnline() const { return online.size(); }

private:
    void tryMatch();
    void leaveQueue(Peer& peer);
    void timedOut(Game& game);
    // Ends the game: scores and record to Accounts, both players free to join again. Until the
    // record has committed, both seats hold what they are sent and take no request: the answer
    // and pushes that tell the end are sent after this call, and wait for the commit.
    void finish(Game& game, GameEnd reason, int32_t outcome);

    asio::io_context& io;
    Accounts& accounts;
    std::chrono::seconds moveTime;
    std::deque<Peer*> queue;
    std::unordered_map<uint64_t, Peer*> peers; // by connection
    uint64_t nextConnection = 1;
    std::unordered_map<int32_t, Peer*> online; // by user id
    std::unordered_map<const Game*, std::shared_ptr<Game>> games;
    uint64_t nextGameId = 1;
    std::mt19937 random;
};
