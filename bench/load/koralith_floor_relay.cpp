// koralith-floor-relay: the floor that the server's move relay is measured against
// (run-load.sh --floor). One asio thread speaks the framing and answers the load bots just enough
// for them to play: any registration and any login succeed (the user id is the connection's
// number), joining pairs the first two waiting, and a move by the player to move is answered and
// relayed, ending the game at five in a row or a full board as the server's does, so that the bots
// play games of the same length and the same traffic against both. Nothing more: no database, no
// log, no timers, no checking of moves. It reads and writes as the server does (a buffered read; a
// direct write, or one write in flight; storage reused), so that what remains between the two is
// the server's own work.
//
//   koralith-floor-relay --listen 127.0.0.1:PORT    (port 0: any free one, told on stderr)

#include "Board.h"
#include "EventCodes.h"
#include "Packet.h"

#include <algorithm>
#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/write.hpp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr uint32_t kMaxBody = 64 * 1024;

class Relay;

class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(asio::ip::tcp::socket socket, Relay& relay, int32_t id)
        : socket(std::move(socket)), relay(relay), id(id) {}

    void start() {
        std::error_code ignored;
        socket.set_option(asio::ip::tcp::no_delay(true), ignored);
        socket.non_blocking(true, ignored);
        doRead();
    }

private:
    void doRead();
    bool takePackets();
    void request(uint32_t seq, int32_t code, const uint8_t* fields, size_t length);
    void move(uint32_t seq, const uint8_t* fields, size_t length);
    void close();
    // An answer (seq > 0) or a push (seq 0) of integer fields.
    void send(int32_t code, uint32_t seq, std::initializer_list<int32_t> values);
    void doWrite();

    asio::ip::tcp::socket socket;
    Relay& relay;
    const int32_t id;
    std::vector<uint8_t> inbox = std::vector<uint8_t>(512);
    size_t filled = 0;
    std::vector<uint8_t> queued;
    std::vector<uint8_t> sending; // the write in flight
    bool open = true;

    // The game: the other player, whose turn, the moves both have seen, and the board, black's.
    Connection* opponent = nullptr;
    bool toMove = false;
    int32_t moves = 0;
    int32_t colour = kBlack;
    int32_t* board = nullptr;
    int32_t ownBoard[kCellCount];

    friend class Relay;
};

class Relay {
public:
    explicit Relay(asio::io_context& io) : acceptor(io) {}

    bool listen(const asio::ip::tcp::endpoint& at) {
        std::error_code ec;
        acceptor.open(at.protocol(), ec);
        if (!ec) {
            acceptor.set_option(asio::ip::tcp::acceptor::reuse_address(true), ec);
        }
        if (!ec) {
            acceptor.bind(at, ec);
        }
        if (!ec) {
            acceptor.listen(asio::socket_base::max_listen_connections, ec);
        }
        if (ec) {
            std::fprintf(stderr, "koralith-floor-relay: cannot listen: %s\n", ec.message().c_str());
            return false;
        }
        const auto bound = acceptor.local_endpoint(ec);
        std::fprintf(stderr, "koralith-floor-relay: listening on %s:%u\n",
                     bound.address().to_string().c_str(), unsigned(bound.port()));
        doAccept();
        return true;
    }

    // The first two who join play each other; the one who waited moves first.
    bool join(Connection& c) {
        if (c.opponent != nullptr) {
            return false;
        }
        if (waiting == nullptr || waiting == &c) {
            waiting = &c;
            return true;
        }
        Connection& black = *waiting;
        waiting = nullptr;
        black.opponent = &c;
        c.opponent = &black;
        black.toMove = true;
        c.toMove = false;
        black.moves = c.moves = 0;
        black.colour = kBlack;
        c.colour = kWhite;
        std::fill(std::begin(black.ownBoard), std::end(black.ownBoard), kEmpty);
        black.board = c.board = black.ownBoard;
        black.send(EVENT_MATCHRES, 0, {1, black.id, c.id});
        c.send(EVENT_MATCHRES, 0, {1, black.id, c.id});
        return true;
    }

    void left(Connection& c) {
        if (waiting == &c) {
            waiting = nullptr;
        }
        if (c.opponent != nullptr) {
            c.opponent->send(EVENT_OPPQUIT, 0, {c.id});
            c.opponent->opponent = nullptr;
            c.opponent = nullptr;
        }
    }

private:
    void doAccept() {
        acceptor.async_accept([this](std::error_code ec, asio::ip::tcp::socket socket) {
            if (!ec) {
                std::make_shared<Connection>(std::move(socket), *this, nextId++)->start();
            }
            doAccept(); // after an error too: the load tool reports the bots left unconnected
        });
    }

    asio::ip::tcp::acceptor acceptor;
    Connection* waiting = nullptr;
    int32_t nextId = 1;
};

void Connection::doRead() {
    socket.async_read_some(asio::buffer(inbox.data() + filled, inbox.size() - filled),
                           [self = shared_from_this()](std::error_code ec, size_t n) {
                               if (ec) {
                                   self->close();
                                   return;
                               }
                               self->filled += n;
                               if (self->takePackets()) {
                                   self->doRead();
                               }
                           });
}

bool Connection::takePackets() {
    size_t at = 0;
    while (filled - at >= kLengthFieldSize) {
        const uint32_t length = readWord(inbox.data() + at);
        if (length < kRequestHeaderSize || length > kMaxBody) {
            close();
            return false;
        }
        if (filled - at < kLengthFieldSize + length) {
            break;
        }
        const uint8_t* body = inbox.data() + at + kLengthFieldSize;
        request(readWord(body), int32_t(readWord(body + 8)), body + kRequestHeaderSize,
                length - kRequestHeaderSize);
        if (!open) {
            return false;
        }
        at += kLengthFieldSize + length;
    }
    std::memmove(inbox.data(), inbox.data() + at, filled - at);
    filled -= at;
    if (filled >= kLengthFieldSize && inbox.size() < kLengthFieldSize + readWord(inbox.data())) {
        inbox.resize(kLengthFieldSize + readWord(inbox.data()));
    }
    return true;
}

void Connection::request(uint32_t seq, int32_t code, const uint8_t* fields, size_t length) {
    switch (code) {
    case EVENT_REG:
        send(code, seq, {1});
        break;
    case EVENT_LOGIN:
        send(code, seq, {1, id});
        break;
    case EVENT_JOINMATCH:
        send(code, seq, {relay.join(*this) ? 1 : 0});
        break;
    case EVENT_CHESS:
        move(seq, fields, length);
        break;
    default:
        send(code, seq, {0});
        break;
    }
}

void Connection::move(uint32_t seq, const uint8_t* fields, size_t length) {
    // Two integer fields, each its type byte and four bytes.
    if (opponent == nullptr || !toMove || length < 10 || fields[0] != FIELD_INT ||
        fields[5] != FIELD_INT) {
        send(EVENT_CHESS, seq, {0, 0, 0});
        return;
    }
    const int32_t x = int32_t(readWord(fields + 1));
    const int32_t y = int32_t(readWord(fields + 6));
    Connection& other = *opponent;
    moves = other.moves = moves + 1;
    toMove = false;
    other.toMove = true;
    int32_t over = 0, outcome = 0;
    if (onBoard(x, y)) {
        board[cellIndex(x, y)] = colour;
        if (checkFive(board, x, y, colour)) {
            over = 1;
            outcome = colour == kBlack ? OUTCOME_BLACK_WON : OUTCOME_WHITE_WON;
        }
    }
    if (!over && moves == kCellCount) {
        over = 1;
        outcome = OUTCOME_DRAW;
    }
    if (over) {
        opponent = other.opponent = nullptr;
    }
    other.send(EVENT_OPPCHESS, 0, {x, y, over, outcome}); // first, as the server does
    send(EVENT_CHESS, seq, {1, over, outcome});
}

void Connection::close() {
    if (!open) {
        return;
    }
    open = false;
    relay.left(*this);
    std::error_code ignored;
    socket.close(ignored);
}

void Connection::send(int32_t code, uint32_t seq, std::initializer_list<int32_t> values) {
    if (!open) {
        return;
    }
    // Written straight into the queue: each field its type byte and four bytes.
    appendWord(queued, uint32_t(kResponseHeaderSize + 5 * values.size()));
    appendWord(queued, uint32_t(code));
    appendWord(queued, seq);
    for (int32_t v : values) {
        queued.push_back(FIELD_INT);
        appendWord(queued, uint32_t(v));
    }
    if (sending.empty()) {
        doWrite();
    }
}

// Straight to the socket while no write is in flight; what does not fit, or fails, goes out (or
// fails) asynchronously.
void Connection::doWrite() {
    std::error_code ec;
    const size_t written = socket.write_some(asio::buffer(queued), ec);
    if (!ec && written == queued.size()) {
        queued.clear();
        return;
    }
    queued.erase(queued.begin(), queued.begin() + long(written)); // 0 on an error
    sending.swap(queued);
    asio::async_write(socket, asio::buffer(sending),
                      [self = shared_from_this()](std::error_code ec, size_t) {
                          self->sending.clear();
                          if (ec) {
                              self->close();
                          } else if (self->open && !self->queued.empty()) {
                              self->doWrite();
                          }
                      });
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::strcmp(argv[1], "--listen") != 0 ||
        std::strchr(argv[2], ':') == nullptr) {
        std::fprintf(stderr, "usage: koralith-floor-relay --listen ADDR:PORT\n");
        return 2;
    }
    const std::string at = argv[2];
    const size_t colon = at.rfind(':');
    std::error_code ec;
    const auto address = asio::ip::make_address(at.substr(0, colon), ec);
    if (ec) {
        std::fprintf(stderr, "koralith-floor-relay: not an address: %s\n", argv[2]);
        return 2;
    }
    const long port = std::strtol(at.c_str() + colon + 1, nullptr, 10);
    if (port < 0 || port > 65535) {
        std::fprintf(stderr, "koralith-floor-relay: not a port: %s\n", argv[2]);
        return 2;
    }
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
    asio::io_context io(1);
    Relay relay(io);
    if (!relay.listen({address, uint16_t(port)})) {
        return 1;
    }
    io.run();
    return 0;
}
