#include "TestClient.h"

#include "CLMD5.h"
#include "EventCodes.h"
#include "Packet.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Rounded up, so that a wait never ends before its deadline.
std::chrono::milliseconds left(Clock::time_point deadline) {
    return std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
}

} // namespace

TestClient::TestClient(unsigned short port, int receiveBuffer)
    : fd(socket(AF_INET, SOCK_STREAM, 0)) {
    if (receiveBuffer > 0) {
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        disconnect();
    }
}

TestClient::~TestClient() {
    disconnect();
}

void TestClient::disconnect() {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

bool TestClient::sendRaw(const std::vector<uint8_t>& bytes) {
    size_t sent = 0;
    while (fd >= 0 && sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        sent += size_t(n);
    }
    return sent == bytes.size();
}

uint32_t TestClient::send(int32_t code, const CLDataBuffer* fields) {
    const uint32_t seq = nextSeq++;
    sendRaw(buildRequestPacket(seq, code, fields));
    return seq;
}

uint32_t TestClient::sendInts(int32_t code, std::initializer_list<int32_t> values) {
    CLDataBuffer fields;
    for (int32_t v : values) {
        fields.addInt(v);
    }
    return send(code, &fields);
}

std::optional<Message> TestClient::take(const std::function<bool(const Message&)>& wanted,
                                        std::chrono::milliseconds limit) {
    for (auto it = held.begin(); it != held.end(); ++it) {
        if (wanted(*it)) {
            Message m = *it;
            held.erase(it);
            return m;
        }
    }
    const auto deadline = Clock::now() + limit;
    while (fd >= 0) {
        const size_t length = inbox.size() >= 4 ? readWord(inbox.data()) : 0;
        if (inbox.size() >= 4 && inbox.size() >= 4 + length) {
            ParsedResponse parsed = parseResponseBody(inbox.data() + 4, length);
            inbox.erase(inbox.begin(), inbox.begin() + 4 + long(length));
            Message m{parsed.code, parsed.seq,
                      parsed.fields ? std::shared_ptr<CLDataBuffer>(std::move(parsed.fields))
                                    : std::make_shared<CLDataBuffer>()};
            if (wanted(m)) {
                return m;
            }
            held.push_back(m);
            continue;
        }
        pollfd p{fd, POLLIN, 0};
        const int wait = int(left(deadline).count());
        if (wait <= 0) {
            return std::nullopt;
        }
        if (poll(&p, 1, wait) <= 0) {
            continue;
        }
        uint8_t chunk[65536];
        const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) {
            disconnect();
            return std::nullopt;
        }
        inbox.insert(inbox.end(), chunk, chunk + n);
    }
    return std::nullopt;
}

std::optional<Message> TestClient::waitAnswer(int32_t code, uint32_t seq) {
    return take([&](const Message& m) { return m.code == code && m.seq == seq; }, kWait);
}

std::optional<Message> TestClient::request(int32_t code, const CLDataBuffer* fields) {
    return waitAnswer(code, send(code, fields));
}

std::optional<Message> TestClient::requestInts(int32_t code,
                                               std::initializer_list<int32_t> values) {
    return waitAnswer(code, sendInts(code, values));
}

std::optional<Message> TestClient::waitPush(int32_t code, std::chrono::milliseconds limit) {
    return take([&](const Message& m) { return m.code == code; }, limit);
}

bool TestClient::noPush(int32_t code, std::chrono::milliseconds limit) {
    return !waitPush(code, limit).has_value();
}

bool TestClient::closedByServer(std::chrono::milliseconds limit) {
    take([](const Message&) { return false; }, limit);
    held.clear();
    return fd < 0;
}

CLDataBuffer credentials(const std::string& name, const std::string& digest) {
    CLDataBuffer fields;
    fields.addString(name.c_str());
    fields.addString(digest.c_str());
    return fields;
}

int32_t TestClient::registerUser(const std::string& name, const std::string& password) {
    const CLDataBuffer fields = credentials(name, md5Hex(password.c_str()));
    const std::optional<Message> m = request(EVENT_REG, &fields);
    return m ? m->intAt(0) : -1;
}

int32_t TestClient::login(const std::string& name, const std::string& password) {
    const CLDataBuffer fields = credentials(name, md5Hex(password.c_str()));
    const std::optional<Message> m = request(EVENT_LOGIN, &fields);
    return m && m->intAt(0) == 1 ? m->intAt(1) : -1;
}

int32_t TestClient::enter(const std::string& name) {
    registerUser(name, name + "-secret");
    return login(name, name + "-secret");
}
