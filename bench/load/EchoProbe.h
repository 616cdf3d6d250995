#pragma once
// The baseline of the relay latency: a bare TCP echo server on its own thread (as the game
// server has its own process) and clients on the bots' io_context that send a small message,
// wait for it to come back, and repeat at a steady pace. What they measure is the round trip
// of two loopback hops on the machine as loaded as it is during the run.

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

class EchoProbe {
public:
    EchoProbe(asio::io_context& clientIo, int clients, std::chrono::milliseconds period);
    ~EchoProbe();

    // Starts the server thread and connects the clients.
    bool start();
    void stop();

    bool measuring = false;
    std::vector<uint32_t> roundTripMicros;
    size_t errors = 0;

private:
    struct Client;
    void ping(const std::shared_ptr<Client>& c);

    asio::io_context& clientIo;
    int clientCount;
    std::chrono::milliseconds period;
    asio::io_context serverIo;
    asio::ip::tcp::acceptor acceptor;
    std::thread serverThread;
    std::vector<std::shared_ptr<Client>> clients;
    bool stopped = false;
};
