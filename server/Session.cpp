#include "Session.h"

#include "IntPacket.h"
#include "Log.h"
#include "Packet.h"
#include "RequestHandler.h"

#include <asio/post.hpp>
#include <asio/write.hpp>

#include <algorithm>
#include <cstring>

namespace {

// Empties an output buffer, keeping its storage for the next packets unless a long one (a notice)
// made it large: a connection at rest holds no large buffer.
void drain(std::vector<uint8_t>& buffer) {
    if (buffer.capacity() > 2048) {
        buffer = std::vector<uint8_t>();
    } else {
        buffer.clear();
    }
}

} // namespace

Session::Session(asio::ip::tcp::socket socket, std::string address, RequestHandler& handler,
                 std::chrono::milliseconds idleLimit, ClosedHandler onClosed)
    : socket(std::move(socket)), timer(this->socket.get_executor()), handler(handler),
      onClosed(std::move(onClosed)), remote(std::move(address)), idleLimit(idleLimit) {
    std::error_code ec;
    this->socket.set_option(asio::ip::tcp::no_delay(true), ec);
    this->socket.non_blocking(true, ec); // for doWrite's direct write
}

void Session::start() {
    handler.opened(*this);
    logLine("connection %llu from %s", static_cast<unsigned long long>(state.connection),
            remote.c_str());
    windowStart = std::chrono::steady_clock::now();
    completed();
    doRead();
}

void Session::close(const char* why) {
    if (phase == Phase::Closed) {
        return;
    }
    const bool told = phase == Phase::Ending;
    phase = Phase::Closed;
    if (!told) {
        logLine("connection %llu closed: %s", static_cast<unsigned long long>(state.connection),
                why);
    }
    std::error_code ignored;
    socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    socket.close(ignored);
    timer.cancel();
    queued.clear();
    if (!told) {
        handler.closed(*this);
    }
    onClosed(*this); // may drop the owner's reference: the pending handlers hold their own
}

void Session::end(const char* why) {
    asio::post(socket.get_executor(), [self = shared_from_this(), why] { self->finish(why); });
}

void Session::finish(const char* why) {
    if (phase != Phase::Open) {
        return;
    }
    phase = Phase::Ending;
    logLine("connection %llu closed: %s", static_cast<unsigned long long>(state.connection), why);
    handler.closed(*this);
    timer.expires_after(kLinger);
    timer.async_wait([self = shared_from_this()](std::error_code ec) {
        if (!ec && self->phase == Phase::Ending) {
            self->close("ended");
        }
    });
    if (sending.empty()) {
        endSending();
    }
    if (!reading) { // read on, to hear the client close
        paused = false;
        filled = 0;
        doRead();
    }
}

void Session::endSending() {
    std::error_code ignored;
    socket.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
}

void Session::resume() {
    if (phase != Phase::Open) {
        return;
    }
    completed();
    if (!paused) {
        return;
    }
    paused = false;
    // Not under the caller, who is in the middle of the RequestHandler's work.
    asio::post(socket.get_executor(), [self = shared_from_this()] {
        if (self->phase == Phase::Open && self->takePackets()) {
            self->doRead();
        }
    });
}

void Session::completed() {
    if (state.userId >= 0) {
        if (idleArmed) {
            idleArmed = false;
            timer.cancel();
        }
        return;
    }
    idleArmed = true;
    timer.expires_after(idleLimit);
    timer.async_wait([self = shared_from_this()](std::error_code ec) {
        // A wait that ran out just as a newer one was set is not the newer one running out.
        if (ec || self->phase != Phase::Open ||
            self->timer.expiry() > std::chrono::steady_clock::now()) {
            return;
        }
        if (self->state.userId < 0 && !self->state.busy) {
            self->close("idle");
        }
    });
}

void Session::doRead() {
    auto self = shared_from_this();
    reading = true;
    socket.async_read_some(asio::buffer(inbox.data() + filled, inbox.size() - filled),
                           [self](std::error_code ec, size_t n) {
                               self->reading = false;
                               if (ec) {
                                   self->close(ec == asio::error::eof ? "by the client"
                                                                      : "read failed");
                                   return;
                               }
                               if (self->phase == Phase::Ending) { // no longer heard
                                   self->filled = 0;
                                   self->doRead();
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
        if (!ready()) {
            paused = true;
            break;
        }
        const uint32_t length = readWord(inbox.data() + at);
        if (length < kRequestHeaderSize || length > kMaxBodyBytes) {
            logLine("error: connection %llu sent a length of %u bytes",
                    static_cast<unsigned long long>(state.connection), length);
            finish("not a request");
            return false;
        }
        if (filled - at < kLengthFieldSize + length) {
            break;
        }
        if (!countRequest()) {
            logLine("error: connection %llu floods requests",
                    static_cast<unsigned long long>(state.connection));
            finish("flooding");
            return false;
        }
        if (!handler.handle(*this, inbox.data() + at + kLengthFieldSize, length)) {
            logLine("error: connection %llu sent a header that is not a request",
                    static_cast<unsigned long long>(state.connection));
            finish("not a request");
            return false;
        }
        if (phase != Phase::Open) {
            return false;
        }
        at += kLengthFieldSize + length;
        if (ready()) {
            completed();
        }
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
    return !paused;
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
    if (phase != Phase::Open || overflowed) {
        return;
    }
    queued.insert(queued.end(), packet.begin(), packet.end());
    recyclePacket(std::move(packet));
    if (queued.size() + sending.size() > kMaxQueuedBytes) {
        logLine("error: connection %llu does not read its answers",
                static_cast<unsigned long long>(state.connection));
        // send() runs inside the Lobby's work, which must not see this peer vanish under it.
        overflowed = true;
        queued = {};
        asio::post(socket.get_executor(),
                   [self = shared_from_this()] { self->close("output queue full"); });
        return;
    }
    if (sending.empty()) {
        doWrite();
    }
}

void Session::doWrite() {
    // Straight to the socket first: an answer nearly always fits in it, and then costs no trip
    // through the event loop. What does not fit becomes the write in flight; so does everything
    // after a failed write, whose handler then closes the session, not under the caller.
    std::error_code ec;
    const size_t written = socket.write_some(asio::buffer(queued), ec);
    if (!ec && written == queued.size()) {
        drain(queued);
        if (phase == Phase::Ending) {
            endSending();
        }
        return;
    }
    queued.erase(queued.begin(), queued.begin() + long(written)); // 0 on an error
    sending.swap(queued);
    auto self = shared_from_this();
    asio::async_write(socket, asio::buffer(sending), [self](std::error_code ec, size_t) {
        drain(self->sending);
        if (ec) {
            self->close("write failed");
            return;
        }
        if (self->phase == Phase::Closed) {
            return;
        }
        if (!self->queued.empty()) {
            self->doWrite();
        } else if (self->phase == Phase::Ending) {
            self->endSending();
        }
    });
}
