#include "Session.h"

#include "Log.h"
#include "Packet.h"
#include "RequestHandler.h"

#include <asio/post.hpp>
#include <asio/write.hpp>

#include <algorithm>
#include <cstring>

Session::Session(asio::ip::tcp::socket socket, RequestHandler& handler, ClosedHandler onClosed)
    : socket(std::move(socket)), handler(handler), onClosed(std::move(onClosed)) {
    std::error_code ec;
    const auto endpoint = this->socket.remote_endpoint(ec);
    remote = ec ? std::string("unknown") : endpoint.address().to_string();
    this->socket.set_option(asio::ip::tcp::no_delay(true), ec);
}

void Session::start() {
    handler.opened(*this);
    logLine("connection %llu from %s", static_cast<unsigned long long>(state.connection),
            remote.c_str());
    windowStart = std::chrono::steady_clock::now();
    doRead();
}

void Session::close(const char* why) {
    if (!open) {
        return;
    }
    open = false;
    logLine("connection %llu closed: %s", static_cast<unsigned long long>(state.connection), why);
    std::error_code ignored;
    socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    socket.close(ignored);
    queue.clear();
    handler.closed(*this);
    onClosed(*this); // may drop the owner's reference: the pending handlers hold their own
}

void Session::doRead() {
    auto self = shared_from_this();
    socket.async_read_some(asio::buffer(inbox.data() + filled, inbox.size() - filled),
                           [self](std::error_code ec, size_t n) {
                               if (ec) {
                                   self->close(ec == asio::error::eof ? "by the client"
                                                                      : "read failed");
                                   return;
                               }
                               self->filled += n;
                               if (self->takePackets()) {
                                   self->doRead();
                               }
                           });
}

bool Session::takePackets() {
    size_t at = 0;
    while (filled - at >= kLengthFieldSize) {
        const uint32_t length = readWord(inbox.data() + at);
        if (length < kRequestHeaderSize || length > kMaxBodyBytes) {
            logLine("error: connection %llu sent a length of %u bytes",
                    static_cast<unsigned long long>(state.connection), length);
            close("not a request");
            return false;
        }
        if (filled - at < kLengthFieldSize + length) {
            break;
        }
        if (!countRequest()) {
            logLine("error: connection %llu floods requests",
                    static_cast<unsigned long long>(state.connection));
            close("flooding");
            return false;
        }
        if (!handler.handle(*this, inbox.data() + at + kLengthFieldSize, length)) {
            logLine("error: connection %llu sent a header that is not a request",
                    static_cast<unsigned long long>(state.connection));
            close("not a request");
            return false;
        }
        if (!open) {
            return false;
        }
        at += kLengthFieldSize + length;
    }
    // Keep the partial packet at the front, with room for all of it.
    std::memmove(inbox.data(), inbox.data() + at, filled - at);
    filled -= at;
    size_t needed = kInboxStart;
    if (filled >= kLengthFieldSize) {
        needed = std::max(needed, kLengthFieldSize + readWord(inbox.data()));
    }
    if (inbox.size() < needed || (inbox.size() > 4 * kInboxStart && needed <= kInboxStart)) {
        // Grows for a large body; an idle connection keeps no large buffer.
        std::vector<uint8_t> resized(std::max(needed, filled));
        std::memcpy(resized.data(), inbox.data(), filled);
        inbox.swap(resized);
    }
    return true;
}

bool Session::countRequest() {
    const auto now = std::chrono::steady_clock::now();
    if (now - windowStart >= std::chrono::seconds(1)) {
        windowStart = now;
        windowRequests = 0;
    }
    return ++windowRequests <= kMaxRequestsPerSecond;
}

void Session::send(std::vector<uint8_t> packet) {
    if (!open || overflowed) {
        return;
    }
    queuedBytes += packet.size();
    queue.push_back(std::move(packet));
    if (queuedBytes > kMaxQueuedBytes) {
        logLine("error: connection %llu does not read its answers",
                static_cast<unsigned long long>(state.connection));
        // send() runs inside the Lobby's work, which must not see this peer vanish under it.
        overflowed = true;
        queue.clear();
        asio::post(socket.get_executor(),
                   [self = shared_from_this()] { self->close("output queue full"); });
        return;
    }
    if (writing.empty()) {
        doWrite();
    }
}

void Session::doWrite() {
    // Everything queued goes out in one gathered write.
    std::vector<asio::const_buffer> buffers;
    buffers.reserve(queue.size());
    while (!queue.empty()) {
        writing.push_back(std::move(queue.front()));
        queue.pop_front();
        buffers.emplace_back(asio::buffer(writing.back()));
    }
    auto self = shared_from_this();
    asio::async_write(socket, buffers, [self](std::error_code ec, size_t) {
        for (const auto& packet : self->writing) {
            self->queuedBytes -= packet.size();
        }
        self->writing.clear();
        if (ec) {
            self->close("write failed");
            return;
        }
        if (self->open && !self->queue.empty()) {
            self->doWrite();
        }
    });
}
