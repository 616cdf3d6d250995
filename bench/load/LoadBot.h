#pragma once
// One protocol bot of the load tool: connects, registers, logs in, joins the match queue and
// plays random legal moves until its game ends, then joins again. All bots run on one io_context
// (one thread); the shared LoadStats and the id-to-bot map are therefore plain data.

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

class LoadBot;

struct LoadStats {
    bool measuring = false;
    size_t loggedIn = 0;
    size_t inGame = 0; // bots, not games
    size_t moves = 0;  // accepted moves while measuring
    size_t games = 0;  // games ended while measuring
    size_t errors = 0;
    // A move sent by one bot until its push reached the other; the moves that end a game apart,
    // since their push waits for the game's record to commit.
    std::vector<uint32_t> relayMicros;
    std::vector<uint32_t> endMicros;
    std::unordered_map<int32_t, LoadBot*> byId;
    std::string lastError;
};

class LoadBot : public std::enable_shared_from_this<LoadBot> {
public:
    LoadBot(asio::io_context& io, LoadStats& stats, std::string name,
            std::chrono::milliseconds think, uint32_t seed);
    ~LoadBot();

    // Connects from `from`, an address of this machine.
    void start(const asio::ip::tcp::endpoint& server, const asio::ip::address& from);
    void stop();
    bool connected() const { return open; }

    // When this bot's last move went out; its opponent reads it when the push arrives.
    std::chrono::steady_clock::time_point moveSentAt;

private:
    void fail(const std::string& why);
    void request(int32_t code, const std::vector<int32_t>& ints,
                 const std::vector<std::string>& strings = {});
    void doRead();
    void doWrite();
    void onMessage(int32_t code, const uint8_t* fields, size_t length);
    void onAnswer(int32_t code, const std::vector<int32_t>& ints);
    void onPush(int32_t code, const std::vector<int32_t>& ints);
    void startGame(int32_t blackId, int32_t whiteId);
    void endGame();
    void myTurn();
    void move();

    asio::ip::tcp::socket socket;
    asio::steady_timer thinkTimer;
    LoadStats& stats;
    std::string name;
    std::chrono::milliseconds think;
    std::mt19937 random;
    bool open = false;
    bool stopping = false;

    std::vector<uint8_t> inbox;
    uint8_t chunk[4096];
    std::deque<std::vector<uint8_t>> outbox;
    bool writing = false;
    uint32_t nextSeq = 1;

    int32_t id = -1;
    int32_t colour = 0;
    bool playing = false;
    LoadBot* opponent = nullptr;
    int8_t board[225] = {};
    int pendingX = -1;
    int pendingY = -1;
};
