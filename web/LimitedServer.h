#pragma once
// cpp-httplib's server with a bound on what one request may send. The library (0.11.4) reads a
// request's header lines without any limit: 20 MB of them were taken here, all kept in memory.
// This server serves each connection through a stream of its own that hands the library at most
// kMaxRequestBytes for one request, and closes the connection when a request reaches that. Its
// keep-alive loop does what the library's does: at most keep_alive_max_count requests, each
// awaited for at most the keep-alive time, until the server stops.

#include <httplib.h>

class LimitedServer : public httplib::Server {
public:
    static constexpr size_t kMaxRequestBytes = 16 * 1024;

private:
    bool process_and_close_socket(socket_t sock) override;
};
