#pragma once
// One client connection, shaped like the asio chat example: doReadHeader reads the 4-byte
// length, doReadBody the body, which goes to the RequestHandler; answers and pushes queue up in
// send() with one write in flight. The session closes itself, and only itself, on a length that
// cannot be a request, a flood of requests, or an output queue its client does not read.
// Io thread only.

#include "Peer.h"

#include <asio/ip/tcp.hpp>
#include <chrono>
#include <cstdint>
#include <deque>
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

    using ClosedHandler = std::function<void(Session&)>;

    Session(asio::ip::tcp::socket socket, RequestHandler& handler, ClosedHandler onClosed);

    void start();
    void send(std::vector<uint8_t> packet) override;
    const std::string& address() const override { return remote; }
    // Idempotent; the RequestHandler and the owner hear of it once.
    void close(const char* why);

private:
    void doReadHeader();
    void doReadBody();
    void doWrite();
    bool countRequest();

    asio::ip::tcp::socket socket;
    RequestHandler& handler;
    ClosedHandler onClosed;
    std::string remote;
    bool open = true;
    bool overflowed = false; // closing, as soon as the current work is done

    uint8_t header[4] = {};
    std::vector<uint8_t> body;

    std::deque<std::vector<uint8_t>> queue;    // waiting for the next write
    std::vector<std::vector<uint8_t>> writing; // the write in flight
    size_t queuedBytes = 0;

    std::chrono::steady_clock::time_point windowStart;
    int windowRequests = 0;
};
