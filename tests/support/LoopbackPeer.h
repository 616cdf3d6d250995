#pragma once
// Plain sockets on 127.0.0.1: a client connection, and a listening peer on an ephemeral port.

#include "Support.h"

#include <algorithm>
#include <cstdint>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A blocking connection to 127.0.0.1:port whose small writes go out at once, or -1; a
// `receiveBuffer` > 0 shrinks its receive buffer first. It comes from 127.0.0.`host`: loopback
// takes every address of 127/8 as its own, so a server can see clients of several addresses.
inline int dialLoopback(uint16_t port, int receiveBuffer = 0, int host = 1) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (receiveBuffer > 0) {
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    const sockaddr_in from{AF_INET, 0, {htonl(INADDR_LOOPBACK - 1 + uint32_t(host))}, {}};
    if (host != 1 && bind(fd, reinterpret_cast<const sockaddr*>(&from), sizeof from) != 0) {
        close(fd);
        return -1;
    }
    const sockaddr_in address{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// The tests write at most a few hundred bytes at a time: one send takes them all.
inline void put(int fd, const Bytes& bytes) {
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

// Up to `count` bytes, fewer at end of stream or once kPatienceMs have passed.
inline Bytes readUpTo(int fd, size_t count) {
    const timeval limit{kPatienceMs / 1000, kPatienceMs % 1000 * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    Bytes got(count);
    got.resize(std::max<ssize_t>(0, ::recv(fd, got.data(), count, MSG_WAITALL)));
    return got;
}

// A listening socket; with kRefusing a bound port that refuses every connect, with backlog 0 one
// whose full accept queue leaves new handshakes unanswered. Closes what it accepted or dialled.
class LoopbackPeer {
public:
    static constexpr int kRefusing = -1;

    explicit LoopbackPeer(int backlog = 8, int receiveBuffer = 0) {
        if (receiveBuffer > 0) {
            setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        }
        sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t size = sizeof address;
        bind(listener, reinterpret_cast<sockaddr*>(&address), size);
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
        if (backlog != kRefusing) {
            listen(listener, backlog);
        }
    }
    ~LoopbackPeer() { std::for_each(open.begin(), open.end(), ::close); }
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    int dial() { return track(dialLoopback(port)); }
    // The next connection within timeoutMs, or -1.
    int accept(int timeoutMs = kPatienceMs) {
        pollfd entry{listener, POLLIN, 0};
        return poll(&entry, 1, timeoutMs) > 0 ? track(::accept(listener, nullptr, nullptr)) : -1;
    }
    // Ends a connection in order, or with a reset.
    void finish(int fd, bool reset = false) {
        const linger abort{1, 0};
        if (reset) {
            setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        }
        close(fd);
        open.erase(std::find(open.begin(), open.end(), fd));
    }

    uint16_t port = 0;

private:
    int track(int fd) {
        const int on = 1; // the tests' small writes go out at once
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        if (fd >= 0) {
            open.push_back(fd);
        }
        return fd;
    }

    std::vector<int> open;
    int listener = track(::socket(AF_INET, SOCK_STREAM, 0));
};
