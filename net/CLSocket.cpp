#include "CLSocket.h"

#include <algorithm>
#include <climits>

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

// Waits for a non-blocking connect to finish; true when it finished without an error.
bool awaitConnect(CLSocketHandle socket, int timeoutMs) {
#ifdef _WIN32
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(socket, &writable);
    FD_SET(socket, &failed);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    if (select(0, nullptr, &writable, &failed, &limit) <= 0 || FD_ISSET(socket, &failed)) {
        return false;
    }
#else
    pollfd entry{socket, POLLOUT, 0};
    int ready;
    do {
        ready = poll(&entry, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) {
        return false;
    }
#endif
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

bool connectWithin(CLSocketHandle socket, const std::string& dotted, uint16_t port, int timeoutMs) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (inet_pton(AF_INET, dotted.c_str(), &address.sin_addr) != 1) {
        return false;
    }
    setBlocking(socket, false);
    bool ok = connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (!ok && connectPending()) {
        ok = awaitConnect(socket, timeoutMs);
    }
    setBlocking(socket, true);
    return ok;
}

void configure(CLSocketHandle socket, int ioTimeoutMs) {
#ifdef _WIN32
    const DWORD limit = static_cast<DWORD>(ioTimeoutMs);
#else
    const timeval limit{ioTimeoutMs / 1000, (ioTimeoutMs % 1000) * 1000};
#endif
    const char* value = reinterpret_cast<const char*>(&limit);
    setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, value, sizeof limit);
    setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, value, sizeof limit);
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
    return sent;
}

long recvSome(CLSocketHandle socket, uint8_t* data, size_t length) {
    long received;
    do {
        received =
            static_cast<long>(recv(socket, reinterpret_cast<char*>(data), callLength(length), 0));
    } while (received < 0 && interrupted());
    return received;
}

} // namespace clsocket
