#pragma once
// One connection of the load tool's hashing run: it asks for a registration, a login or a logout
// one request at a time, from a source address of its own (loopback takes every 127.x.y.z, so
// one machine can be many addresses to the server), and hands each answer's result and round trip
// to a callback. Runs on one io_context thread.

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class AccountClient : public std::enable_shared_from_this<AccountClient> {
public:
    using Clock = std::chrono::steady_clock;
    // The answer's first field (1 yes, 0 no), or -1 when the connection closed first.
    using Answer = std::function<void(int32_t result, Clock::duration took)>;

    AccountClient(asio::io_context& io, asio::ip::address from);

    void connect(const asio::ip::tcp::endpoint& server, std::function<void(bool)> done);
    // EVENT_REG or EVENT_LOGIN with the name and the password's digest, or EVENT_LOGOUT.
    void request(int32_t code, const std::string& name, const std::string& password, Answer then);
    void close();
    bool isOpen() const { return open; }

private:
    void doRead();
    void closed();

    asio::ip::tcp::socket socket;
    asio::ip::address from;
    bool open = false;
    std::vector<uint8_t> outbox;
    std::vector<uint8_t> inbox;
    uint8_t chunk[512];
    uint32_t nextSeq = 1;
    Answer pending;
    Clock::time_point sentAt;
};
