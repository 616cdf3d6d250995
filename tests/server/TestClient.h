#pragma once
// A blocking protocol client for the server tests, built on the shared message format. Every
// wait has a time-out; messages that arrive while another is awaited are kept for a later wait.

#include "CLDataBuffer.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct Message {
    int32_t code = 0;
    uint32_t seq = 0;
    std::shared_ptr<CLDataBuffer> fields; // never null; empty when the body had none

    size_t count() const { return fields->fieldCount(); }
    int32_t intAt(size_t i) const { return fields->intAt(i).value_or(-999); }
};

class TestClient {
public:
    static constexpr std::chrono::milliseconds kWait{5000};

    // Connects to 127.0.0.1:port; `receiveBuffer` > 0 shrinks the socket's receive buffer first.
    explicit TestClient(unsigned short port, int receiveBuffer = 0);
    ~TestClient();
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    bool connected() const { return fd >= 0; }

    // Sends a request; its sequence number.
    uint32_t send(int32_t code, const CLDataBuffer* fields = nullptr);
    uint32_t sendInts(int32_t code, std::initializer_list<int32_t> values);
    bool sendRaw(const std::vector<uint8_t>& bytes);

    // Sends and waits for the answer with the same code and sequence number.
    std::optional<Message> request(int32_t code, const CLDataBuffer* fields = nullptr);
    std::optional<Message> requestInts(int32_t code, std::initializer_list<int32_t> values);
    std::optional<Message> waitAnswer(int32_t code, uint32_t seq);
    std::optional<Message> waitPush(int32_t code, std::chrono::milliseconds limit = kWait);
    // No push of `code` arrives within `limit`.
    bool noPush(int32_t code, std::chrono::milliseconds limit);
    // The server closes the connection within `limit`; whatever arrives before is discarded.
    bool closedByServer(std::chrono::milliseconds limit = kWait);

    // The result field of the answer, or -1 when none came.
    int32_t registerUser(const std::string& name, const std::string& password);
    // The user id, or -1 when refused.
    int32_t login(const std::string& name, const std::string& password);
    // Registers and logs in with the password name + "-secret"; the id.
    int32_t enter(const std::string& name);

    void disconnect();

private:
    // The first message, held or arriving within `limit`, that `wanted` accepts.
    std::optional<Message> take(const std::function<bool(const Message&)>& wanted,
                                std::chrono::milliseconds limit);

    int fd = -1;
    uint32_t nextSeq = 1;
    std::vector<uint8_t> inbox;
    std::deque<Message> held;
};

CLDataBuffer credentials(const std::string& name, const std::string& digest);
