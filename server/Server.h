#pragma once
// The game server: accounts, match-making, judged games with a move clock, and scores, for the
// Koralith client's message format (director/) and rules (game/).
//
// Threads: one asio io_context runs every socket, the Lobby, the games and their clocks, and all
// request handling; nothing there blocks. Argon2id hashing runs on a small hashing pool and every
// SQLite call on a one-thread database pool (Accounts); their results are posted back to the io
// thread. Ownership: the Server owns the acceptor and the Sessions; the Lobby owns the Games;
// the AccountStore is the only user of the database.
//
// Server accepts connections and keeps each Session alive until it closes.

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>
#include <memory>
#include <system_error>
#include <unordered_map>

class RequestHandler;
class Session;

class Server {
public:
    Server(asio::io_context& io, RequestHandler& handler);

    bool listen(const asio::ip::tcp::endpoint& at, std::error_code& ec);
    asio::ip::tcp::endpoint localEndpoint() const;
    // Stops accepting and closes every connection.
    void stop();

    size_t connections() const { return sessions.size(); }

private:
    void doAccept();

    RequestHandler& handler;
    asio::ip::tcp::acceptor acceptor;
    asio::steady_timer retry; // accepting again after the process ran out of descriptors
    std::unordered_map<Session*, std::shared_ptr<Session>> sessions;
    bool stopped = false;
};
