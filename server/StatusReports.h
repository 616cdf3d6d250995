#pragma once
// The status row the web face shows: how many players are online and how many games run. Read
// from the Lobby every two seconds on the io thread and written when it changed, or every ten
// seconds anyway, so that a row older than that tells the server is not running.

#include <asio/io_context.hpp>
#include <asio/steady_timer.hpp>
#include <chrono>

class Accounts;
class Lobby;

class StatusReports {
public:
    // Reports at once, then on its own until stop().
    StatusReports(asio::io_context& io, const Lobby& lobby, Accounts& accounts);
    // Writes the last report, nobody online and no game running.
    void stop();

private:
    void report();

    const Lobby& lobby;
    Accounts& accounts;
    asio::steady_timer timer;
    int lastOnline = -1, lastRunning = -1;
    std::chrono::steady_clock::time_point lastWritten;
};
