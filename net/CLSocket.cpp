#include "CLSocket.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <thread>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#endif

namespace clsocket {

namespace {

#ifdef MSG_NOSIGNAL
constexpr int kSendFlags = MSG_NOSIGNAL;
#else
constexpr int kSendFlags = 0;
#endif

bool interrupted() {
#ifdef _WIN32
    return WSAGetLastError() == WSAEINTR;
#else
    return errno == EINTR;
#endif
}

void setBlocking(CLSocketHandle socket, bool blocking) {
#ifdef _WIN32
    u_long nonBlocking = blocking ? 0 : 1;
    ioctlsocket(socket, FIONBIO, &nonBlocking);
#else
    const int flags = fcntl(socket, F_GETFL, 0);
    fcntl(socket, F_SETFL, blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK));
#endif
}

bool connectPending() {
#ifdef _WIN32
    return WSAGetLastError() == WSAEWOULDBLOCK;
#else
    return errno == EINPROGRESS;
#endif
}

bool wouldBlock() {
#ifdef _WIN32
    return WSAGetLastError() == WSAEWOULDBLOCK;
#else
    return errno == EAGAIN || errno == EWOULDBLOCK;
#endif
}

// One wait of at most `ms`: true when the socket is ready for the direction asked, or in error.
bool pollOnce(CLSocketHandle socket, bool forSend, int ms) {
#ifdef _WIN32
    // A failed connect shows in the exception set, not in the write set.
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(socket, &ready);
    FD_SET(socket, &failed);
    timeval limit{ms / 1000, (ms % 1000) * 1000};
    return select(0, forSend ? nullptr : &ready, forSend ? &ready : nullptr, &failed, &limit) != 0;
#else
    // An interrupted poll only ends its slice early.
    pollfd entry{socket, static_cast<short>(forSend ? POLLOUT : POLLIN), 0};
    const int result = poll(&entry, 1, ms);
    return result > 0 || (result < 0 && errno != EINTR);
#endif
}

// Waits for a non-blocking connect to finish; true when it finished without an error.
bool awaitConnect(CLSocketHandle socket, int timeoutMs, const Cancel& cancel) {
    if (waitFor(socket, true, timeoutMs, cancel) != Wait::Ready) {
        return false;
    }
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0) {
        return false;
    }
    return error == 0;
}

} // namespace

void startup() {
#ifdef _WIN32
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
#endif
}

void cleanup() {
#ifdef _WIN32
    WSACleanup();
#endif
}

bool resolveIPv4(const std::string& host, std::string& dotted) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        return false;
    }
    char text[INET_ADDRSTRLEN] = {};
    const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    const bool ok = inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) != nullptr;
    freeaddrinfo(found);
    if (ok) {
        dotted = text;
    }
    return ok;
}

CLSocketHandle openTcp() {
    return static_cast<CLSocketHandle>(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
}

void closeSocket(CLSocketHandle socket) {
#ifdef _WIN32
    closesocket(socket);
#else
    close(socket);
#endif
}

bool connectWithin(CLSocketHandle socket, const std::string& dotted, uint16_t port, int timeoutMs,
                   const Cancel& cancel) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (inet_pton(AF_INET, dotted.c_str(), &address.sin_addr) != 1) {
        return false;
    }
    setBlocking(socket, false);
    bool ok = connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (!ok && connectPending()) {
        ok = awaitConnect(socket, timeoutMs, cancel);
    }
    return ok;
}

void configure(CLSocketHandle socket) {
    setBlocking(socket, false);
#ifdef SO_NOSIGPIPE
    const int on = 1;
    setsockopt(socket, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif
}

bool readable(CLSocketHandle socket, int microseconds) {
#ifdef _WIN32
    fd_set readSet;
    FD_ZERO(&readSet);
    FD_SET(socket, &readSet);
    timeval limit{0, microseconds};
    return select(0, &readSet, nullptr, nullptr, &limit) > 0;
#else
    // poll counts in milliseconds; a few microseconds round down to an immediate answer.
    pollfd entry{socket, POLLIN, 0};
    return poll(&entry, 1, microseconds / 1000) > 0;
#endif
}

Wait waitFor(CLSocketHandle socket, bool forSend, int timeoutMs, const Cancel& cancel) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (cancel && cancel()) {
            return Wait::Cancelled;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
        const int slice = static_cast<int>(std::clamp<long long>(left, 0, kWaitSliceMs));
        if (pollOnce(socket, forSend, slice)) {
            return Wait::Ready;
        }
        if (Clock::now() >= end) {
            return Wait::TimedOut;
        }
    }
}

#ifdef _WIN32
WakeUp::WakeUp() = default;
WakeUp::~WakeUp() = default;
void WakeUp::raise() {}
void WakeUp::drain() {}

bool waitReadable(CLSocketHandle socket, WakeUp&, int timeoutMs) {
    const int ms = std::clamp(timeoutMs, 0, kWakeUpFallbackMs);
    if (socket == kInvalidSocket) { // select with no socket at all fails at once
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return false;
    }
    fd_set readSet;
    FD_ZERO(&readSet);
    FD_SET(socket, &readSet);
    timeval limit{0, ms * 1000};
    return select(0, &readSet, nullptr, nullptr, &limit) != 0;
}
#else
WakeUp::WakeUp() {
    int ends[2];
    if (pipe(ends) != 0) {
        return;
    }
    for (const int end : ends) {
        fcntl(end, F_SETFL, fcntl(end, F_GETFL, 0) | O_NONBLOCK);
        fcntl(end, F_SETFD, FD_CLOEXEC);
    }
    readEnd = ends[0];
    writeEnd = ends[1];
}

WakeUp::~WakeUp() {
    if (readEnd >= 0) {
        close(readEnd);
        close(writeEnd);
    }
}

void WakeUp::raise() {
    const char byte = 1;
    while (writeEnd >= 0 && write(writeEnd, &byte, 1) < 0 && errno == EINTR) {
    }
}

void WakeUp::drain() {
    char bytes[64];
    for (;;) {
        const ssize_t got = read(readEnd, bytes, sizeof bytes);
        if (got <= 0 && !(got < 0 && errno == EINTR)) {
            return;
        }
    }
}

bool waitReadable(CLSocketHandle socket, WakeUp& wakeUp, int timeoutMs) {
    // poll passes over an entry whose descriptor is negative: an invalid socket, a missing pipe.
    pollfd entries[2] = {{socket, POLLIN, 0}, {wakeUp.readEnd, POLLIN, 0}};
    const int ms =
        wakeUp.readEnd >= 0 ? std::max(timeoutMs, 0) : std::clamp(timeoutMs, 0, kWakeUpFallbackMs);
    // An interrupted poll only ends the wait early, as a wake-up would.
    if (poll(entries, 2, ms) <= 0) {
        return false;
    }
    if (entries[1].revents != 0) {
        wakeUp.drain();
    }
    return entries[0].revents != 0;
}
#endif

namespace {
#ifdef _WIN32
// WinSock counts in int; a longer request simply passes less in one call.
int callLength(size_t length) {
    return static_cast<int>(std::min<size_t>(length, INT_MAX));
}
#else
size_t callLength(size_t length) {
    return length;
}
#endif
} // namespace

long sendSome(CLSocketHandle socket, const uint8_t* data, size_t length) {
    long sent;
    do {
        sent = static_cast<long>(
            send(socket, reinterpret_cast<const char*>(data), callLength(length), kSendFlags));
    } while (sent < 0 && interrupted());
    return sent < 0 && wouldBlock() ? kWouldBlock : sent;
}

long recvSome(CLSocketHandle socket, uint8_t* data, size_t length) {
    long received;
    do {
        received =
            static_cast<long>(recv(socket, reinterpret_cast<char*>(data), callLength(length), 0));
    } while (received < 0 && interrupted());
    return received < 0 && wouldBlock() ? kWouldBlock : received;
}

} // namespace clsocket
