#pragma once
// One client connection, shaped like the asio chat example with a buffered read: doRead takes
// whatever has arrived, and every complete packet in it (4-byte length, body) goes to the
// RequestHandler, so a burst of requests costs one read; answers and pushes queue up in send()
// with one write in flight. The session closes itself, and only itself, on a length that
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
    void doRead();
    // Hands over every complete packet in the inbox; false once the session has closed.
    bool takePackets();
    void doWrite();
    bool countRequest();

    asio::ip::tcp::socket socket;
    RequestHandler& handler;
    ClosedHandler onClosed;
    std::string remote;
    bool open = true;
    bool overflowed = false; // closing, as soon as the current work is done

    static constexpr size_t kInboxStart = 512;
    std::vector<uint8_t> inbox = std::vector<uint8_t>(kInboxStart);
    size_t filled = 0; // bytes of inbox that hold data, from its start

    std::deque<std::vector<uint8_t>> queue;    // waiting for the next write
    std::vector<std::vector<uint8_t>> writing; // the write in flight
    size_t queuedBytes = 0;

    std::chrono::steady_clock::time_point windowStart;
    int windowRequests = 0;
};
