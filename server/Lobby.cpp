#include "Lobby.h"

#include "Accounts.h"
#include "EventCodes.h"
#include "IntPacket.h"
#include "Log.h"
#include "Peer.h"

#include <algorithm>
#include <initializer_list>

namespace {

void push(Peer& to, int32_t code, std::initializer_list<int32_t> values) {
    to.deliver(intPacket(code, 0, values));
}

int32_t winOutcome(int32_t colour) {
    return colour == kBlack ? OUTCOME_BLACK_WON : OUTCOME_WHITE_WON;
}

} // namespace

Lobby::Lobby(asio::io_context& io, Accounts& accounts, std::chrono::seconds moveTime, uint32_t seed)
    : io(io), accounts(accounts), moveTime(moveTime), random(seed) {}

void Lobby::opened(Peer& peer) {
    peer.state.connection = nextConnection++;
    peers[peer.state.connection] = &peer;
}

Peer* Lobby::find(uint64_t connection) const {
    auto found = peers.find(connection);
    return found == peers.end() ? nullptr : found->second;
}

void Lobby::closed(Peer& peer) {
    logout(peer);
    peers.erase(peer.state.connection);
}

void Lobby::login(Peer& peer, int32_t userId, const std::string& name) {
    if (peer.state.userId == userId) {
        return;
    }
    logout(peer);
    auto found = online.find(userId);
    if (found != online.end()) {
        Peer& old = *found->second;
        logLine("login %s (id %d) takes over from connection %llu", name.c_str(), userId,
                static_cast<unsigned long long>(old.state.connection));
        // Its client would go on as if logged in, and hear nothing more: it is told by a close,
        // and first why, so that it does not log in again and take the account back.
        push(old, EVENT_ELSEWHERE, {});
        logout(old);
        old.endWhenSent("logged in elsewhere");
    }
    peer.state.userId = userId;
    peer.state.userName = name;
    online[userId] = &peer;
    logLine("login %s (id %d) on connection %llu", name.c_str(), userId,
            static_cast<unsigned long long>(peer.state.connection));
}

bool Lobby::logout(Peer& peer) {
    if (peer.state.userId < 0) {
        return false;
    }
    quit(peer);
    leaveQueue(peer);
    online.erase(peer.state.userId);
    peer.state.userId = -1;
    peer.state.userName.clear();
    return true;
}

bool Lobby::join(Peer& peer) {
    if (peer.state.userId < 0 || peer.state.game != nullptr) {
        return false;
    }
    if (!peer.state.waiting) {
        peer.state.waiting = true;
        queue.push_back(&peer);
        tryMatch();
    }
    return true;
}

bool Lobby::cancel(Peer& peer) {
    if (!peer.state.waiting) {
        return false;
    }
    leaveQueue(peer);
    return true;
}

void Lobby::leaveQueue(Peer& peer) {
    if (peer.state.waiting) {
        peer.state.waiting = false;
        queue.erase(std::remove(queue.begin(), queue.end(), &peer), queue.end());
    }
}

void Lobby::tryMatch() {
    while (queue.size() >= 2) {
        Peer* first = queue.front();
        queue.pop_front();
        Peer* second = queue.front();
        queue.pop_front();
        first->state.waiting = false;
        second->state.waiting = false;
        if (std::uniform_int_distribution<int>(0, 1)(random) == 1) {
            std::swap(first, second);
        }
        auto game = std::make_shared<Game>(io, nextGameId++, *first, *second, moveTime,
                                           [this](Game& g) { timedOut(g); });
        games.emplace(game.get(), game);
        first->state.game = game.get();
        second->state.game = game.get();
        const int32_t blackId = first->state.userId;
        const int32_t whiteId = second->state.userId;
        logLine("match: game %llu, black %s (id %d), white %s (id %d)",
                static_cast<unsigned long long>(game->id()), first->state.userName.c_str(), blackId,
                second->state.userName.c_str(), whiteId);
        push(*first, EVENT_MATCHRES, {1, blackId, whiteId});
        push(*second, EVENT_MATCHRES, {1, blackId, whiteId});
        game->startClock();
    }
}

Lobby::MoveAnswer Lobby::move(Peer& peer, int32_t x, int32_t y) {
    Game* game = peer.state.game;
    if (game == nullptr) {
        return {};
    }
    const int32_t colour = game->colourOf(peer);
    const Game::Play play = game->play(peer, x, y);
    if (play == Game::Play::Refused) {
        return {};
    }
    MoveAnswer answer{true, play != Game::Play::Continues, 0};
    if (play == Game::Play::Five) {
        answer.outcome = winOutcome(colour);
    } else if (play == Game::Play::Full) {
        answer.outcome = OUTCOME_DRAW;
    }
    Peer& opponent = game->otherPlayer(peer);
    if (answer.over) {
        finish(*game, play == Game::Play::Five ? GameEnd::Five : GameEnd::Full, answer.outcome);
    }
    push(opponent, EVENT_OPPCHESS, {x, y, answer.over ? 1 : 0, answer.outcome});
    return answer;
}

void Lobby::quit(Peer& peer) {
    Game* game = peer.state.game;
    if (game == nullptr) {
        return;
    }
    Peer& opponent = game->otherPlayer(peer);
    finish(*game, GameEnd::Quit, winOutcome(opponentOf(game->colourOf(peer))));
    push(opponent, EVENT_OPPQUIT, {peer.state.userId});
}

void Lobby::timedOut(Game& game) {
    const int32_t loser = game.toMove();
    const int32_t winnerId = game.seat(opponentOf(loser)).state.userId;
    Peer& black = game.seat(kBlack);
    Peer& white = game.seat(kWhite);
    finish(game, GameEnd::Time, winOutcome(opponentOf(loser)));
    push(black, EVENT_OVERTIME, {winnerId});
    push(white, EVENT_OVERTIME, {winnerId});
}

void Lobby::finish(Game& game, GameEnd reason, int32_t outcome) {
    game.stopClock();
    GameRecord record = std::move(game.record()); // the game is gone below
    record.reason = reason;
    record.outcome = outcome;
    record.endedAt = std::time(nullptr);
    static const char* const kOutcomes[] = {"black won", "white won", "draw"};
    logLine("game %llu ended: %s by %s after %zu moves", static_cast<unsigned long long>(game.id()),
            kOutcomes[outcome], gameEndName(reason), record.moves.size());
    uint64_t seats[2];
    for (int32_t colour : {kBlack, kWhite}) {
        Peer& p = game.seat(colour);
        p.state.game = nullptr;
        ++p.state.recording;
        seats[colour == kBlack ? 0 : 1] = p.state.connection;
    }
    accounts.recordGame(std::move(record), [this, seats] {
        for (uint64_t connection : seats) {
            if (Peer* p = find(connection)) {
                p->recorded();
            }
        }
    });
    games.erase(&game); // may destroy the game: nothing touches it after this
}

void Lobby::abandonGames() {
    for (auto& entry : games) {
        Game& game = *entry.second;
        game.stopClock();
        logLine("game %llu stopped unfinished by the shutdown",
                static_cast<unsigned long long>(game.id()));
        game.seat(kBlack).state.game = nullptr;
        game.seat(kWhite).state.game = nullptr;
    }
    games.clear();
}
