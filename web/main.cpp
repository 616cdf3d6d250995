// koralith-web: the game server's public pages, read from its database. See WebServer.h for the
// routes, `koralith-web --help` for the options.

#include "WebLog.h"
#include "WebOptions.h"
#include "WebServer.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>

int main(int argc, char** argv) {
    WebOptions options;
    std::string error;
    if (!parseWebOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "koralith-web: %s\n%s", error.c_str(), webUsage());
        return 2;
    }
    if (options.help) {
        std::fputs(webUsage(), stdout);
        return 0;
    }
    // A client that goes away mid-answer must not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    // Blocked in every thread, taken by sigwait below: a stop comes in through one place.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    WebServer server(options.databasePath);
    const int port = server.bind(options.listenHost, options.listenPort);
    if (port < 0) {
        webLog("error: cannot listen on %s:%u", options.listenHost.c_str(), options.listenPort);
        return 1;
    }
    const bool v6 = options.listenHost.find(':') != std::string::npos;
    webLog("start: listening on %s%s%s:%d, database %s (read only)", v6 ? "[" : "",
           options.listenHost.c_str(), v6 ? "]" : "", port, options.databasePath.c_str());

    std::atomic<bool> served{false}, failed{false};
    std::thread listener([&] {
        failed = !server.run();
        served = true;
        kill(getpid(), SIGTERM); // wakes the wait below when serving ended by itself
    });
    int signal = 0;
    sigwait(&stopSignals, &signal);
    // A signal may come before the listener has started: stop until it has ended.
    while (!served) {
        server.stop();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    listener.join();
    if (failed) {
        webLog("error: serving stopped unexpectedly");
    } else {
        webLog("stop: %s", signal == SIGINT ? "interrupted" : "terminated");
    }
    return failed ? 1 : 0;
}
