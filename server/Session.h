#pragma once
// One client connection, shaped like the asio chat example with a buffered read: doRead takes
// whatever has arrived, and the complete packets in it (4-byte length, body) go to the
// RequestHandler one after the other, so a burst of requests costs one read; answers and pushes
// are written at once, or queue up behind the one write in flight. While the peer is not ready (a
// request waits on a worker, a game's end on the database) the packets stay in the inbox and
// nothing more is read, until resume(). The session ends itself, and only itself, on bytes that
// cannot be a request or on a flood of requests, once the answers to the requests before them are
// out; it closes itself at once on an output queue its client does not read, or on no request
// completed within the idle limit while not logged in. Io thread only.

#include "Peer.h"

#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class RequestHandler;

class Session : public Peer, public std::enable_shared_from_this<Session> {
public:
    static constexpr uint32_t kMaxBodyBytes = 64 * 1024;
    static constexpr int kMaxRequestsPerSecond = 200;
    static constexpr size_t kMaxQueuedBytes = 1024 * 1024;
    // How long an ended connection waits for its client to close its side.
    static constexpr std::chrono::seconds kLinger{5};

    using ClosedHandler = std::function<void(Session&)>;

    // `idleLimit`: how long the connection may go without completing a request before it logs
    // in. `onClosed` hears once that the socket is closed.
    Session(asio::ip::tcp::socket socket, std::string address, RequestHandler& handler,
            std::chrono::milliseconds idleLimit, ClosedHandler onClosed);

    void start();
    const std::string& address() const override { return remote; }
    void resume() override;
    // The RequestHandler hears of it at once; the socket closes once the queued packets are out
    // and the client has closed its side, or after kLinger.
    void end(const char* why) override;
    // At once. Idempotent; the RequestHandler and the owner hear of it once.
    void close(const char* why);

private:
    void send(std::vector<uint8_t> packet) override;
    // end() at once.
    void finish(const char* why);
    void doRead();
    // Hands over the complete packets in the inbox while the peer is ready; false when reading
    // is to stop (closed, ending, or paused until resume).
    bool takePackets();
    void doWrite();
    bool countRequest();
    // A request has been answered: the idle limit starts again, unless logged in.
    void completed();
    void endSending();

    enum class Phase { Open, Ending, Closed };

    // What sending to the connection touches first, on as few cache lines as may be: a move
    // sends to its opponent's connection, which it finds cold.
    Phase phase = Phase::Open;
    bool paused = false;     // packets wait in the inbox, and nothing is read, until resume()
    bool reading = false;    // a read is in flight
    bool overflowed = false; // closing, as soon as the current work is done
    bool idleArmed = false;
    // A packet sent is copied to the end of `queued`, written at once while no write is in flight
    // (`sending`). Both keep their storage (unless it grew large): answering a move allocates
    // nothing.
    std::vector<uint8_t> queued;
    std::vector<uint8_t> sending;
    asio::ip::tcp::socket socket;

    static constexpr size_t kInboxStart = 512;
    std::vector<uint8_t> inbox = std::vector<uint8_t>(kInboxStart);
    size_t filled = 0; // bytes of inbox that hold data, from its start

    asio::steady_timer timer; // the idle limit while open, the linger while ending
    RequestHandler& handler;
    ClosedHandler onClosed;
    std::string remote;
    std::chrono::milliseconds idleLimit;

    std::chrono::steady_clock::time_point windowStart;
    int windowRequests = 0;
};
