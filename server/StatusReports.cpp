#include "StatusReports.h"

#include "Accounts.h"
#include "Lobby.h"

namespace {
constexpr std::chrono::seconds kEvery{2}, kAtLeastEvery{10};
} // namespace

StatusReports::StatusReports(asio::io_context& io, const Lobby& lobby, Accounts& accounts)
    : lobby(lobby), accounts(accounts), timer(io) {
    report();
}

void StatusReports::report() {
    const int online = int(lobby.playersOnline()), running = int(lobby.runningGames());
    const auto now = std::chrono::steady_clock::now();
    if (online != lastOnline || running != lastRunning || now - lastWritten >= kAtLeastEvery) {
        accounts.reportStatus(online, running);
        lastOnline = online;
        lastRunning = running;
        lastWritten = now;
    }
    timer.expires_after(kEvery);
    timer.async_wait([this](std::error_code ec) {
        if (!ec) {
            report();
        }
    });
}

void StatusReports::stop() {
    timer.cancel();
    accounts.reportStatus(0, 0);
}
