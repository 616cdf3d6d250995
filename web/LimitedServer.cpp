#include "LimitedServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A connection's socket for the library's request parser, which reads a byte at a time: reads
// come from a buffer of its own, and stop for good once the request's allowance is spent.
class LimitedStream : public httplib::Stream {
public:
    LimitedStream(int fd, int readMs, int writeMs) : fd(fd), readMs(readMs), writeMs(writeMs) {}

    void allow(size_t bytes) { allowance = bytes; }
    bool spent() const { return allowance == 0; }

    // The next request's first bytes within `ms`, unless `running` turns false meanwhile.
    template <class Running>
    bool awaitRequest(int ms, Running running) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (begin == filled && running()) {
            if (ready(POLLIN, 50)) {
                return true;
            }
            if (std::chrono::steady_clock::now() >= end) {
                return false;
            }
        }
        return begin < filled;
    }

    bool is_readable() const override { return begin < filled || ready(POLLIN, readMs); }
    bool is_writable() const override { return ready(POLLOUT, writeMs); }

    ssize_t read(char* out, size_t size) override {
        if (allowance == 0) {
            return -1;
        }
        if (begin == filled) {
            if (!ready(POLLIN, readMs)) {
                return -1;
            }
            ssize_t n;
            while ((n = ::recv(fd, buffer, sizeof buffer, 0)) < 0 && errno == EINTR) {
            }
            if (n <= 0) {
                return n;
            }
            begin = 0;
            filled = size_t(n);
        }
        const size_t n = std::min({size, filled - begin, allowance});
        std::copy(buffer + begin, buffer + begin + n, out);
        begin += n;
        allowance -= n;
        return ssize_t(n);
    }

    ssize_t write(const char* data, size_t size) override {
        if (!is_writable()) {
            return -1;
        }
        return ::send(fd, data, size, MSG_NOSIGNAL);
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        address(getpeername, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        address(getsockname, ip, port);
    }
    socket_t socket() const override { return fd; }

private:
    bool ready(short events, int ms) const {
        pollfd p{fd, events, 0};
        int n;
        while ((n = ::poll(&p, 1, ms)) < 0 && errno == EINTR) {
        }
        return n > 0 && (p.revents & (events | POLLHUP | POLLERR)) != 0;
    }

    template <class Name>
    void address(Name name, std::string& ip, int& port) const {
        sockaddr_storage at{};
        socklen_t length = sizeof at;
        char text[INET6_ADDRSTRLEN] = "";
        if (name(fd, reinterpret_cast<sockaddr*>(&at), &length) != 0) {
            return;
        }
        if (at.ss_family == AF_INET6) {
            const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&at);
            inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
            port = ntohs(v6->sin6_port);
        } else {
            const auto* v4 = reinterpret_cast<const sockaddr_in*>(&at);
            inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
            port = ntohs(v4->sin_port);
        }
        ip = text;
    }

    const int fd;
    const int readMs, writeMs;
    char buffer[4096];
    size_t begin = 0, filled = 0;
    size_t allowance = 0;
};

} // namespace

bool LimitedServer::process_and_close_socket(socket_t sock) {
    const auto ms = [](time_t sec, time_t usec) { return int(sec * 1000 + usec / 1000); };
    LimitedStream stream(sock, ms(read_timeout_sec_, read_timeout_usec_),
                         ms(write_timeout_sec_, write_timeout_usec_));
    bool ok = true;
    for (size_t left = keep_alive_max_count_; ok && left > 0; --left) {
        // Stopping closes the listening socket first; is_running() stays true until the
        // workers are done.
        const auto listening = [this] { return svr_sock_ != INVALID_SOCKET; };
        if (!stream.awaitRequest(ms(keep_alive_timeout_sec_, 0), listening)) {
            break;
        }
        stream.allow(kMaxRequestBytes);
        bool closed = false;
        ok = process_request(stream, left == 1, closed, nullptr) && !closed && !stream.spent();
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return ok;
}
