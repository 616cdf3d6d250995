#include "LoadBot.h"

#include "CLDataBuffer.h"
#include "CLMD5.h"
#include "EventCodes.h"
#include "Packet.h"

#include <asio/connect.hpp>
#include <asio/write.hpp>

LoadBot::LoadBot(asio::io_context& io, LoadStats& stats, std::string name,
                 std::chrono::milliseconds think, uint32_t seed)
    : socket(io), thinkTimer(io), stats(stats), name(std::move(name)), think(think), random(seed) {}

LoadBot::~LoadBot() {
    if (id >= 0) {
        stats.byId.erase(id);
    }
}

void LoadBot::start(const asio::ip::tcp::endpoint& server, const asio::ip::address& from) {
    std::error_code ec;
    socket.open(server.protocol(), ec);
    if (!ec) {
        socket.bind(asio::ip::tcp::endpoint(from, 0), ec);
    }
    if (ec) {
        fail("bind " + from.to_string() + ": " + ec.message());
        return;
    }
    auto self = shared_from_this();
    socket.async_connect(server, [self](std::error_code ec) {
        if (ec) {
            self->fail("connect: " + ec.message());
            return;
        }
        self->open = true;
        self->socket.set_option(asio::ip::tcp::no_delay(true), ec);
        const std::string digest = md5Hex((self->name + "-pw").c_str());
        // As the client does: the login waits for the registration's answer.
        self->request(EVENT_REG, {}, {self->name, digest});
        self->doRead();
    });
}

void LoadBot::stop() {
    stopping = true;
    thinkTimer.cancel();
    std::error_code ignored;
    socket.close(ignored);
    if (playing) {
        --stats.inGame;
        playing = false;
    }
    if (open) {
        open = false;
        if (id >= 0) {
            --stats.loggedIn;
        }
    }
}

void LoadBot::fail(const std::string& why) {
    if (stopping) {
        return;
    }
    ++stats.errors;
    stats.lastError = name + ": " + why;
    stop();
}

void LoadBot::request(int32_t code, const std::vector<int32_t>& ints,
                      const std::vector<std::string>& strings) {
    CLDataBuffer fields;
    for (const std::string& s : strings) {
        fields.addString(s.c_str());
    }
    for (int32_t v : ints) {
        fields.addInt(v);
    }
    outbox.push_back(buildRequestPacket(nextSeq++, code, &fields));
    if (!writing) {
        doWrite();
    }
}

void LoadBot::doWrite() {
    writing = true;
    auto self = shared_from_this();
    asio::async_write(socket, asio::buffer(outbox.front()), [self](std::error_code ec, size_t) {
        if (ec) {
            self->fail("write: " + ec.message());
            return;
        }
        self->outbox.pop_front();
        self->writing = false;
        if (!self->outbox.empty()) {
            self->doWrite();
        }
    });
}

void LoadBot::doRead() {
    auto self = shared_from_this();
    socket.async_read_some(asio::buffer(chunk), [self](std::error_code ec, size_t n) {
        if (ec) {
            self->fail("read: " + ec.message());
            return;
        }
        self->inbox.insert(self->inbox.end(), self->chunk, self->chunk + n);
        size_t at = 0;
        while (self->inbox.size() - at >= 4) {
            const uint32_t length = readWord(self->inbox.data() + at);
            if (self->inbox.size() - at - 4 < length) {
                break;
            }
            const uint8_t* body = self->inbox.data() + at + 4;
            if (length >= kResponseHeaderSize) {
                self->onMessage(int32_t(readWord(body)), body, length);
            }
            at += 4 + length;
            if (!self->open) {
                return;
            }
        }
        self->inbox.erase(self->inbox.begin(), self->inbox.begin() + long(at));
        self->doRead();
    });
}

void LoadBot::onMessage(int32_t code, const uint8_t* body, size_t length) {
    // The bots read integer fields only; reading them in place keeps the tool's one thread
    // from being the first thing to saturate.
    int32_t ints[8];
    size_t count = 0;
    for (size_t p = kResponseHeaderSize; p + 5 <= length && count < 8; p += 5) {
        if (body[p] != FIELD_INT) {
            break;
        }
        ints[count++] = int32_t(readWord(body + p + 1));
    }
    const std::vector<int32_t> values(ints, ints + count);
    if (isPushCode(code)) {
        onPush(code, values);
    } else {
        onAnswer(code, values);
    }
}

void LoadBot::onAnswer(int32_t code, const std::vector<int32_t>& ints) {
    const bool ok = !ints.empty() && ints[0] == 1;
    switch (code) {
    case EVENT_REG: { // refused when an earlier run took the name: the login tells
        const std::string digest = md5Hex((name + "-pw").c_str());
        request(EVENT_LOGIN, {}, {name, digest});
        break;
    }
    case EVENT_LOGIN:
        if (!ok || ints.size() < 2) {
            fail("login refused");
            return;
        }
        id = ints[1];
        stats.byId[id] = this;
        ++stats.loggedIn;
        request(EVENT_JOINMATCH, {});
        break;
    case EVENT_JOINMATCH:
        if (!ok) {
            fail("join refused");
        }
        break;
    case EVENT_CHESS:
        if (!ok || ints.size() < 3) {
            fail("move refused");
            return;
        }
        board[pendingX * 15 + pendingY] = int8_t(colour);
        if (stats.measuring) {
            ++stats.moves;
        }
        if (ints[1] == 1) {
            endGame();
        }
        break;
    default:
        break;
    }
}

void LoadBot::onPush(int32_t code, const std::vector<int32_t>& ints) {
    if (code == EVENT_MATCHRES && ints.size() >= 3 && ints[0] == 1) {
        startGame(ints[1], ints[2]);
    } else if (code == EVENT_OPPCHESS && ints.size() >= 4 && playing) {
        if (opponent != nullptr && stats.measuring) {
            const auto waited = std::chrono::steady_clock::now() - opponent->moveSentAt;
            (ints[2] == 1 ? stats.endMicros : stats.relayMicros)
                .push_back(uint32_t(
                    std::chrono::duration_cast<std::chrono::microseconds>(waited).count()));
        }
        if (ints[0] >= 0 && ints[0] < 15 && ints[1] >= 0 && ints[1] < 15) {
            board[ints[0] * 15 + ints[1]] = int8_t(3 - colour);
        }
        if (ints[2] == 1) {
            endGame();
        } else {
            myTurn();
        }
    } else if (code == EVENT_OPPQUIT || code == EVENT_OVERTIME) {
        ++stats.errors;
        stats.lastError = name + (code == EVENT_OPPQUIT ? ": opponent quit" : ": overtime");
        endGame();
    }
}

void LoadBot::startGame(int32_t blackId, int32_t whiteId) {
    colour = blackId == id ? 1 : 2;
    auto found = stats.byId.find(colour == 1 ? whiteId : blackId);
    opponent = found == stats.byId.end() ? nullptr : found->second;
    std::fill(std::begin(board), std::end(board), int8_t(0));
    if (!playing) {
        ++stats.inGame;
    }
    playing = true;
    if (colour == 1) {
        myTurn();
    }
}

void LoadBot::endGame() {
    if (playing) {
        --stats.inGame;
        playing = false;
        if (stats.measuring && colour == 1) {
            ++stats.games; // counted once, by black
        }
    }
    thinkTimer.cancel();
    request(EVENT_JOINMATCH, {});
}

void LoadBot::myTurn() {
    if (think.count() == 0) {
        move();
        return;
    }
    // A think time spread around the mean keeps the bots from moving in lockstep.
    thinkTimer.expires_after(std::chrono::milliseconds(std::uniform_int_distribution<int>(
        int(think.count() / 2), int(think.count() * 3 / 2))(random)));
    auto self = shared_from_this();
    thinkTimer.async_wait([self](std::error_code ec) {
        if (!ec && self->playing && self->open) {
            self->move();
        }
    });
}

void LoadBot::move() {
    int empty[225];
    int n = 0;
    for (int i = 0; i < 225; ++i) {
        if (board[i] == 0) {
            empty[n++] = i;
        }
    }
    if (n == 0) {
        fail("no empty point in a running game");
        return;
    }
    const int cell = empty[std::uniform_int_distribution<int>(0, n - 1)(random)];
    pendingX = cell / 15;
    pendingY = cell % 15;
    moveSentAt = std::chrono::steady_clock::now();
    request(EVENT_CHESS, {pendingX, pendingY});
}
