// koralith-server: see Server.h for the shape, `koralith-server --help` for the options.

#include "AccountStore.h"
#include "Accounts.h"
#include "GameExport.h"
#include "Lobby.h"
#include "Log.h"
#include "PasswordHash.h"
#include "RequestHandler.h"
#include "Server.h"
#include "ServerOptions.h"
#include "StatusReports.h"

#include <asio/executor_work_guard.hpp>
#include <asio/signal_set.hpp>
#include <asio/thread_pool.hpp>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <random>
#include <sys/resource.h>

namespace {

std::string minuteText(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

// Every connection is a descriptor: take all the process may have.
void raiseDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace

int main(int argc, char** argv) {
    ServerOptions options;
    std::string error;
    if (!parseServerOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "koralith-server: %s\n%s", error.c_str(), serverUsage());
        return 2;
    }
    if (options.help) {
        std::fputs(serverUsage(), stdout);
        return 0;
    }
    if (!options.exportFolder.empty()) {
        return exportGames(options.databasePath, options.exportFolder);
    }
    std::error_code ec;
    const asio::ip::address address = asio::ip::make_address(options.listenHost, ec);
    if (ec) {
        std::fprintf(stderr, "koralith-server: --listen needs a numeric address, not \"%s\"\n",
                     options.listenHost.c_str());
        return 2;
    }
    if (!startPasswordHashing()) {
        std::fprintf(stderr, "koralith-server: libsodium cannot start\n");
        return 1;
    }
    std::unique_ptr<AccountStore> store = AccountStore::open(options.databasePath, error);
    if (!store) {
        std::fprintf(stderr, "koralith-server: %s\n", error.c_str());
        return 1;
    }
    raiseDescriptorLimit();
    std::signal(SIGPIPE, SIG_IGN);
    // A file-size limit (ulimit -f) then fails the write, which is retried like one to a full
    // disk, instead of killing the server with its games.
    std::signal(SIGXFSZ, SIG_IGN);

    asio::io_context io(1);
    asio::thread_pool hashing(2);
    // A thread of its own, so that a game's end never waits behind password hashing. Accounts
    // keeps the database calls one at a time whatever runs them.
    asio::thread_pool database(1);
    // A game's end that follows another's closely is told this much later at most, far below
    // what a player can see, and under load the games ending meanwhile share one commit.
    constexpr std::chrono::milliseconds kGatherGameEnds{20};
    Accounts accounts(io, hashing.get_executor(), database.get_executor(), *store, options.hashCost,
                      kGatherGameEnds);
    Lobby lobby(io, accounts, std::chrono::seconds(options.moveSeconds), std::random_device{}());
    RequestHandler handler(lobby, accounts, options.notice, minuteText(std::time(nullptr)));
    Server server(io, handler,
                  {std::chrono::seconds(options.idleSeconds), options.connectionsPerAddress});
    if (!server.listen(asio::ip::tcp::endpoint(address, options.listenPort), ec)) {
        std::fprintf(stderr, "koralith-server: cannot listen on %s:%u: %s\n",
                     options.listenHost.c_str(), unsigned(options.listenPort),
                     ec.message().c_str());
        return 1;
    }
    // Before the start line: whoever reads it may stop the server at once, and a stop must be
    // the orderly one.
    StatusReports status(io, lobby, accounts);
    asio::signal_set signals(io, SIGINT, SIGTERM);
    signals.async_wait([&](std::error_code, int signal) {
        logLine("stop: signal %d, closing %zu connections", signal, server.connections());
        status.stop();
        // Games first: closing the connections must not score the running games as quits.
        lobby.abandonGames();
        server.stop();
    });
    const asio::ip::tcp::endpoint bound = server.localEndpoint();
    logLine("start: listening on %s:%u, database %s, %d s per move",
            bound.address().to_string().c_str(), unsigned(bound.port()),
            options.databasePath.c_str(), options.moveSeconds);

    io.run();

    // What was asked of the database reaches it before the process ends (game records that it
    // still cannot take after a few seconds wait in its journal for the next start); the answers
    // that waited on it find their connections closed.
    accounts.stop(std::chrono::seconds(3));
    hashing.join();
    database.join();
    io.restart();
    io.poll();
    logLine("stop: done");
    stopLog(std::chrono::seconds(1)); // a standard error nobody reads must not keep us running
    return 0;
}
