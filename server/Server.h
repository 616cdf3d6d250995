#pragma once
// The game server: accounts, match-making, judged games with a move clock, and scores, for the
// Koralith client's message format (protocol/) and rules (game/).
//
// Threads: one asio io_context runs every socket, the Lobby, the games and their clocks, and all
// request handling; nothing there blocks. Argon2id hashing runs on a small hashing pool, and the
// SQLite calls on a strand of their own (Accounts), one at a time and in order; their results are
// posted back to the io thread. Ownership: the Server owns the acceptor and the Sessions; the
// Lobby owns the Games; the AccountStore is the only user of the database.
//
// Server accepts connections, up to a number per address, and keeps each Session alive until it
// closes.

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>
#include <chrono>
#include <memory>
#include <string>
#include <system_error>
#include <unordered_map>

class RequestHandler;
class Session;

struct ConnectionLimits {
    // How long a connection may go without completing a request before it logs in.
    std::chrono::milliseconds idleBeforeLogin = std::chrono::seconds(60);
    // Open connections from one address; more are closed at once, so that one address cannot
    // take every descriptor.
    int perAddress = 64;
};

class Server {
public:
    Server(asio::io_context& io, RequestHandler& handler, ConnectionLimits limits = {});

    bool listen(const asio::ip::tcp::endpoint& at, std::error_code& ec);
    asio::ip::tcp::endpoint localEndpoint() const;
    // Stops accepting and closes every connection.
    void stop();

    size_t connections() const { return sessions.size(); }

private:
    void doAccept();
    // Starts a session for the socket, or closes it when its address is at the cap.
    void admit(asio::ip::tcp::socket socket);

    RequestHandler& handler;
    ConnectionLimits limits;
    asio::ip::tcp::acceptor acceptor;
    asio::steady_timer retry; // accepting again after the process ran out of descriptors
    std::unordered_map<Session*, std::shared_ptr<Session>> sessions;
    std::unordered_map<std::string, int> perAddress; // open sessions
    bool stopped = false;
};
