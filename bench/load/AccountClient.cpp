#include "AccountClient.h"

#include "CLDataBuffer.h"
#include "CLMD5.h"
#include "EventCodes.h"
#include "Packet.h"

#include <asio/write.hpp>

AccountClient::AccountClient(asio::io_context& io, asio::ip::address from)
    : socket(io), from(std::move(from)) {}

void AccountClient::connect(const asio::ip::tcp::endpoint& server, std::function<void(bool)> done) {
    std::error_code ec;
    socket.open(server.protocol(), ec);
    if (!ec) {
        socket.bind(asio::ip::tcp::endpoint(from, 0), ec);
    }
    if (ec) {
        done(false);
        return;
    }
    socket.async_connect(server, [self = shared_from_this(), done](std::error_code error) {
        self->open = !error;
        if (self->open) {
            self->socket.set_option(asio::ip::tcp::no_delay(true), error);
            self->doRead();
        }
        done(self->open);
    });
}

void AccountClient::request(int32_t code, const std::string& name, const std::string& password,
                            Answer then) {
    CLDataBuffer fields;
    if (code != EVENT_LOGOUT) {
        fields.addString(name.c_str());
        fields.addString(md5Hex(password.c_str()).c_str());
    }
    outbox = buildRequestPacket(nextSeq++, code, &fields);
    pending = std::move(then);
    sentAt = Clock::now();
    asio::async_write(socket, asio::buffer(outbox),
                      [self = shared_from_this()](std::error_code ec, size_t) {
                          if (ec) {
                              self->closed();
                          }
                      });
}

void AccountClient::close() {
    std::error_code ignored;
    socket.close(ignored);
    open = false;
}

void AccountClient::closed() {
    close();
    if (Answer then = std::exchange(pending, nullptr)) {
        then(-1, Clock::now() - sentAt);
    }
}

void AccountClient::doRead() {
    socket.async_read_some(
        asio::buffer(chunk), [self = shared_from_this()](std::error_code ec, size_t n) {
            if (ec) {
                self->closed();
                return;
            }
            self->inbox.insert(self->inbox.end(), self->chunk, self->chunk + n);
            while (self->inbox.size() >= kLengthFieldSize &&
                   self->inbox.size() >= kLengthFieldSize + readWord(self->inbox.data())) {
                const size_t length = readWord(self->inbox.data());
                const ParsedResponse answer = parseResponseBody(self->inbox.data() + 4, length);
                self->inbox.erase(self->inbox.begin(), self->inbox.begin() + long(4 + length));
                const int32_t result = answer.fields ? answer.fields->intAt(0).value_or(0) : 0;
                if (Answer then = std::exchange(self->pending, nullptr)) {
                    then(result, Clock::now() - self->sentAt);
                }
            }
            self->doRead();
        });
}
