#pragma once
// koralith-web's HTTP side: the routes, the bounds on what a request may be, and the headers of
// every response. The handlers run on a fixed pool of worker threads (BoundedPool), each
// request on a read-only connection lent by a StorePool; nothing is kept between requests but
// those connections. Only GET and HEAD are served.
//
//   /                      leaderboard (?page=N)      /api/leaderboard?page=N
//   /player/NAME           a player                   /api/player/NAME
//   /player?name=NAME      the same, for "." and ".."  /api/player?name=NAME
//   /game/ID               a game with its replay     /api/game/ID
//   /game/ID.sgf           its SGF file, as koralith-server --export-games writes it
//   /static/...            style.css, replay.js, favicon.svg

#include <memory>
#include <string>

class WebServer {
public:
    static constexpr int kThreads = 8;
    static constexpr int kQueuedConnections = 64;
    static constexpr size_t kMaxTargetBytes = 1024; // path and query, still percent-encoded

    explicit WebServer(const std::string& databasePath);
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    // The bound port (the one picked for port 0), or -1 when the address cannot be had.
    int bind(const std::string& host, unsigned short port);
    // Serves until stop(); false when it could not.
    bool run();
    // From any thread; has no effect before run() has started listening.
    void stop();
    bool running() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};
