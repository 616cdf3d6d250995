#pragma once
// A blocking protocol client for the server tests, built on the shared message format. Every
// wait has a time-out; messages that arrive while another is awaited are kept for a later wait.

#include "CLMD5.h"
#include "EventCodes.h"
#include "Fields.h"
#include "LoopbackPeer.h"
#include "Packet.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

inline CLDataBuffer credentials(const std::string& name, const std::string& digest) {
    return strings({name.c_str(), digest.c_str()});
}

struct Message {
    int32_t code = 0;
    uint32_t seq = 0;
    std::shared_ptr<CLDataBuffer> fields = std::make_shared<CLDataBuffer>(); // never null

    int32_t intAt(size_t i) const { return fields->intAt(i).value_or(-999); }
    // Every field as an int, -999 for a field of another type.
    std::vector<int32_t> ints() const {
        std::vector<int32_t> values;
        for (size_t i = 0; i < fields->fieldCount(); ++i) {
            values.push_back(intAt(i));
        }
        return values;
    }
};

class TestClient {
public:
    static constexpr std::chrono::milliseconds kWait{5000};

    // Connects to 127.0.0.1:port from 127.0.0.`host`; `receiveBuffer` > 0 shrinks the socket's
    // receive buffer first.
    explicit TestClient(unsigned short port, int receiveBuffer = 0, int host = 1)
        : fd(dialLoopback(port, receiveBuffer, host)) {}
    bool connected() const { return fd >= 0; }
    ~TestClient() { disconnect(); }
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    void disconnect() { close(std::exchange(fd, -1)); } // twice is a harmless EBADF

    // Sends a request; its sequence number.
    uint32_t send(int32_t code, const CLDataBuffer* fields = nullptr) {
        sendRaw(buildRequestPacket(nextSeq, code, fields));
        return nextSeq++;
    }
    // A blocking send returns once it has taken every byte, or on an error.
    bool sendRaw(const std::vector<uint8_t>& bytes) {
        return fd >= 0 &&
               ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
    }

    // Sends and waits for the answer with the same code and sequence number.
    std::optional<Message> request(int32_t code, const CLDataBuffer* fields = nullptr) {
        return waitAnswer(code, send(code, fields));
    }
    std::optional<Message> requestInts(int32_t code, std::initializer_list<int32_t> values) {
        const CLDataBuffer fields = ints(values);
        return request(code, &fields);
    }
    std::optional<Message> waitAnswer(int32_t code, uint32_t seq,
                                      std::chrono::milliseconds limit = kWait) {
        return take([&](const Message& m) { return m.code == code && m.seq == seq; }, limit);
    }
    std::optional<Message> waitPush(int32_t code, std::chrono::milliseconds limit = kWait) {
        return take([&](const Message& m) { return m.code == code; }, limit);
    }
    // Whatever comes next, in the order it arrived.
    std::optional<Message> next(std::chrono::milliseconds limit = kWait) {
        return take([](const Message&) { return true; }, limit);
    }
    // No push of `code` arrives within `limit`.
    bool noPush(int32_t code, std::chrono::milliseconds limit) { return !waitPush(code, limit); }
    // The server closes the connection within `limit`; whatever arrives before is kept unread.
    bool closedByServer(std::chrono::milliseconds limit = kWait) {
        return !take([](const Message&) { return false; }, limit) && fd < 0;
    }

    // The result field of the answer, -999 when none came.
    int32_t registerUser(const std::string& name, const std::string& password) {
        const CLDataBuffer fields = credentials(name, md5Hex(password.c_str()));
        return request(EVENT_REG, &fields).value_or(Message{}).intAt(0);
    }
    // The user id, or -1 when refused.
    int32_t login(const std::string& name, const std::string& password) {
        const CLDataBuffer fields = credentials(name, md5Hex(password.c_str()));
        const Message m = request(EVENT_LOGIN, &fields).value_or(Message{});
        return m.intAt(0) == 1 ? m.intAt(1) : -1;
    }
    // Registers and logs in with the password name + "-secret"; the id.
    int32_t enter(const std::string& name) {
        registerUser(name, name + "-secret");
        return login(name, name + "-secret");
    }

private:
    // The first message, held or arriving within `limit`, that `wanted` accepts.
    std::optional<Message> take(const std::function<bool(const Message&)>& wanted,
                                std::chrono::milliseconds limit);

    int fd = -1;
    uint32_t nextSeq = 1;
    std::vector<uint8_t> inbox;
    std::deque<Message> held;
};
