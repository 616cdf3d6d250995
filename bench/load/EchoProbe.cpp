#include "EchoProbe.h"

#include <asio/connect.hpp>
#include <asio/post.hpp>
#include <asio/read.hpp>
#include <asio/steady_timer.hpp>
#include <asio/write.hpp>
#include <random>

namespace {

constexpr size_t kMessageBytes = 24; // about the size of a move and its push

// The echo server's side of one connection: read what there is, write it back.
struct EchoSession : std::enable_shared_from_this<EchoSession> {
    explicit EchoSession(asio::ip::tcp::socket s) : socket(std::move(s)) {}
    void read() {
        auto self = shared_from_this();
        socket.async_read_some(asio::buffer(data), [self](std::error_code ec, size_t n) {
            if (ec) {
                return;
            }
            asio::async_write(self->socket, asio::buffer(self->data, n),
                              [self](std::error_code wec, size_t) {
                                  if (!wec) {
                                      self->read();
                                  }
                              });
        });
    }
    asio::ip::tcp::socket socket;
    uint8_t data[4096];
};

void acceptLoop(asio::ip::tcp::acceptor& acceptor) {
    acceptor.async_accept([&acceptor](std::error_code ec, asio::ip::tcp::socket s) {
        if (ec) {
            return;
        }
        s.set_option(asio::ip::tcp::no_delay(true), ec);
        std::make_shared<EchoSession>(std::move(s))->read();
        acceptLoop(acceptor);
    });
}

} // namespace

struct EchoProbe::Client {
    Client(asio::io_context& io) : socket(io), timer(io) {}
    asio::ip::tcp::socket socket;
    asio::steady_timer timer;
    uint8_t out[kMessageBytes] = {};
    uint8_t in[kMessageBytes] = {};
    std::chrono::steady_clock::time_point sentAt;
};

EchoProbe::EchoProbe(asio::io_context& clientIo, int clients, std::chrono::milliseconds period)
    : clientIo(clientIo), clientCount(clients), period(period), acceptor(serverIo) {}

EchoProbe::~EchoProbe() {
    stop();
}

bool EchoProbe::start() {
    std::error_code ec;
    const asio::ip::tcp::endpoint at(asio::ip::address_v4::loopback(), 0);
    acceptor.open(at.protocol(), ec);
    if (!ec) {
        acceptor.bind(at, ec);
    }
    if (!ec) {
        acceptor.listen(asio::socket_base::max_listen_connections, ec);
    }
    if (ec) {
        return false;
    }
    const asio::ip::tcp::endpoint bound = acceptor.local_endpoint();
    acceptLoop(acceptor);
    serverThread = std::thread([this] { serverIo.run(); });
    std::mt19937 random(7);
    for (int i = 0; i < clientCount; ++i) {
        auto c = std::make_shared<Client>(clientIo);
        clients.push_back(c);
        // Spread the first pings over one period.
        const auto delay = std::chrono::microseconds(
            std::uniform_int_distribution<int>(0, int(period.count() * 1000))(random));
        c->socket.async_connect(bound, [this, c, delay](std::error_code cec) {
            if (cec) {
                ++errors;
                return;
            }
            c->socket.set_option(asio::ip::tcp::no_delay(true), cec);
            c->timer.expires_after(delay);
            c->timer.async_wait([this, c](std::error_code tec) {
                if (!tec) {
                    ping(c);
                }
            });
        });
    }
    return true;
}

void EchoProbe::ping(const std::shared_ptr<Client>& c) {
    if (stopped) {
        return;
    }
    c->sentAt = std::chrono::steady_clock::now();
    asio::async_write(c->socket, asio::buffer(c->out), [this, c](std::error_code ec, size_t) {
        if (ec) {
            ++errors;
            return;
        }
        asio::async_read(c->socket, asio::buffer(c->in), [this, c](std::error_code rec, size_t) {
            if (rec) {
                if (!stopped) {
                    ++errors;
                }
                return;
            }
            if (measuring) {
                const auto took = std::chrono::steady_clock::now() - c->sentAt;
                roundTripMicros.push_back(
                    uint32_t(std::chrono::duration_cast<std::chrono::microseconds>(took).count()));
            }
            c->timer.expires_at(c->sentAt + period);
            c->timer.async_wait([this, c](std::error_code tec) {
                if (!tec) {
                    ping(c);
                }
            });
        });
    });
}

void EchoProbe::stop() {
    if (stopped) {
        return;
    }
    stopped = true;
    for (auto& c : clients) {
        std::error_code ignored;
        c->timer.cancel();
        c->socket.close(ignored);
    }
    asio::post(serverIo, [this] {
        std::error_code ignored;
        acceptor.close(ignored);
        serverIo.stop();
    });
    if (serverThread.joinable()) {
        serverThread.join();
    }
}
