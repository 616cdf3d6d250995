#include "CLNetworkModule.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Whole milliseconds from now until `end`, rounded up; 0 once it has passed.
int msUntil(Clock::time_point end) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

CLNetworkModule::CLNetworkModule(Callback callback, const char* logPrefix, const std::string& host,
                                 uint16_t port, bool resolve)
    : callback(std::move(callback)), log(logPrefix), host(host), port(port) {
    clsocket::startup();
    std::string dotted;
    if (resolve && clsocket::resolveIPv4(this->host, dotted)) {
        this->host = dotted;
    }
}

CLNetworkModule::~CLNetworkModule() {
    disconnect();
    clsocket::cleanup();
}

void CLNetworkModule::notify(CallBackType type, const uint8_t* data, uint32_t length) {
    if (callback) {
        callback(type, data, length);
    }
}

void CLNetworkModule::writeLog(const char* text, const std::string& number) {
    log.write(number.empty() ? text : (text + number).c_str());
}

void CLNetworkModule::resetReceive() {
    std::memset(headerBytes, 0, sizeof headerBytes);
    headerCount = 0;
    headerComplete = false;
    body.reset();
    bodyLength = 0;
    bodyCount = 0;
}

// A packet cut off with its connection must never be completed by bytes of the next one.
void CLNetworkModule::disconnect() {
    connected = false;
    if (socket != kInvalidSocket) {
        clsocket::closeSocket(socket);
        socket = kInvalidSocket;
    }
    resetReceive();
}

// The owner hears of the end of a connection that was up, so that it can tell the player.
void CLNetworkModule::loseConnection() {
    const bool wasConnected = connected;
    disconnect();
    if (wasConnected) {
        notify(CONNECTION_LOST, nullptr, 0);
    }
}

void CLNetworkModule::dropBrokenStream() {
    writeLog("数据接收失败，连接已断开");
    loseConnection();
}

// The greeting goes in at the head of the queue under the same lock that takes it, so nothing
// queued earlier or meanwhile can go out on the new connection before it.
void CLNetworkModule::connectFromLoop() {
    if (!connectServer()) {
        return;
    }
    std::vector<uint8_t> first;
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        first = greeting;
        if (!first.empty()) {
            Packet packet{std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[first.size()]),
                          static_cast<uint32_t>(first.size())};
            if (packet.data) {
                std::memcpy(packet.data.get(), first.data(), first.size());
                sendQueue.push_front(std::move(packet));
            } else {
                first.clear();
            }
        }
    }
    notify(CONNECTED, first.empty() ? nullptr : first.data(), static_cast<uint32_t>(first.size()));
}

bool CLNetworkModule::packetOverdue() const {
    return headerCount > 0 && Clock::now() >= packetDeadline;
}

void CLNetworkModule::setTimeouts(int connectMs, int ioMs) {
    connectTimeoutMs = connectMs;
    ioTimeoutMs = ioMs;
}

void CLNetworkModule::adoptConnection(CLSocketHandle connection) {
    disconnect();
    socket = connection;
    clsocket::configure(socket);
    connected = true;
}

bool CLNetworkModule::connectServer() {
    disconnect();
    socket = clsocket::openTcp();
    if (socket == kInvalidSocket) {
        writeLog("Socket创建失败");
        return false;
    }
    if (!clsocket::connectWithin(socket, host, port, connectTimeoutMs, stopCheck())) {
        disconnect();
        return false;
    }
    clsocket::configure(socket);
    connected = true;
    writeLog("网络连接成功");
    return true;
}

bool CLNetworkModule::sendData(const uint8_t* data, uint32_t length) {
    if (data == nullptr || length == 0) {
        return false;
    }
    Packet packet{std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[length]), length};
    if (!packet.data) {
        return false;
    }
    std::memcpy(packet.data.get(), data, length);
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        sendQueue.push_back(std::move(packet));
    }
    wakeUp.raise();
    return true;
}

void CLNetworkModule::setGreeting(const uint8_t* data, uint32_t length) {
    std::lock_guard<std::mutex> lock(queueMutex);
    if (data == nullptr || length == 0) {
        greeting.clear();
    } else {
        greeting.assign(data, data + length);
    }
}

void CLNetworkModule::clearSendQueue() {
    std::lock_guard<std::mutex> lock(queueMutex);
    sendQueue.clear();
}

void CLNetworkModule::requestStop() {
    stopFlag.exchange(true);
    wakeUp.raise();
}

// Every byte of the packet or nothing that counts: a send cut short leaves the stream unusable.
// The io time-out runs from the last progress, so a slow reader gets a large packet in the end.
CLNetworkModule::SendResult CLNetworkModule::sendAll(const uint8_t* data, uint32_t length) {
    Clock::time_point progress = Clock::now();
    for (uint32_t sent = 0; sent < length;) {
        const int left = msUntil(progress + std::chrono::milliseconds(ioTimeoutMs));
        const clsocket::Wait wait = clsocket::waitFor(socket, true, left, stopCheck());
        if (wait == clsocket::Wait::Cancelled) {
            return SendResult::Stopped;
        }
        const long passed = wait == clsocket::Wait::Ready
                                ? clsocket::sendSome(socket, data + sent, length - sent)
                                : -1;
        if (passed == clsocket::kWouldBlock && left > 0) {
            continue;
        }
        if (passed <= 0) {
            return SendResult::Failed;
        }
        sent += static_cast<uint32_t>(passed);
        progress = Clock::now();
    }
    return SendResult::Sent;
}

// Sends the head of the queue, or hands it back when it cannot go out; false when the packet was
// handed back or dropped at a stop, which ends the pass. The packet leaves the queue before the
// send, so that a slow send never holds up sendData on the main thread.
bool CLNetworkModule::sendQueuedPacket() {
    Packet packet;
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        if (sendQueue.empty()) {
            return true;
        }
        packet = std::move(sendQueue.front());
        sendQueue.pop_front();
    }
    if (!connected) {
        disconnect();
        notify(SEND_NOT_CONNECTED, packet.data.get(), packet.length);
        return false;
    }
    const SendResult result = sendAll(packet.data.get(), packet.length);
    if (result == SendResult::Stopped) {
        return false; // the stop drops it like every other unsent packet: no callback
    }
    if (result == SendResult::Failed) {
        writeLog("数据发送失败，连接已断开");
        loseConnection();
        notify(SEND_FAILED, packet.data.get(), packet.length);
        return false;
    }
    writeLog("发送的数据长度 ", std::to_string(packet.length));
    return true;
}

void CLNetworkModule::run() {
    if (!connected) {
        writeLog("网络连接失败");
        connectFromLoop();
    }
    while (!stopRequested()) {
        ++passes;
        sleepMs(5);
        if (!connected && reconnectDue()) {
            connectFromLoop();
        }
        if (stopRequested()) {
            break; // a connect given up for the stop must not fail the queued packets
        }
        if (!sendQueuedPacket()) {
            continue;
        }
        if (!clsocket::waitReadable(socket, wakeUp, idleWaitMs())) {
            if (packetOverdue()) { // nothing more of a packet that is out of time
                writeLog("数据读取异常");
                dropBrokenStream();
            }
            continue;
        }
        const uint32_t received = recvData();
        if (received > 0) {
            writeLog("收到数据长度", std::to_string(received));
        } else if (!stopRequested()) {
            dropBrokenStream();
        }
    }
    writeLog("NetworkModule Ready To Stop");
    disconnect();
    clearSendQueue();
}

// While the server is away and nothing waits to be sent, connecting on every pass would knock on
// its door many times a second, from every game that is open. A packet in the queue always gets a
// fresh attempt, so a request still finds a server that came back at once.
bool CLNetworkModule::reconnectDue() {
    const auto now = std::chrono::steady_clock::now();
    bool waiting = false;
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        waiting = !sendQueue.empty();
    }
    if (!waiting && now < nextIdleConnect) {
        return false;
    }
    nextIdleConnect = now + std::chrono::milliseconds(kIdleReconnectMs);
    return true;
}

// How long the loop may wait for the socket before its next pass: not at all while a packet
// waits to be sent, else until whatever falls due first. A packet queued or a stop requested
// during the wait ends it through the wake-up.
int CLNetworkModule::idleWaitMs() {
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        if (!sendQueue.empty()) {
            return 0;
        }
    }
    Clock::time_point until = Clock::now() + std::chrono::milliseconds(kIdleWaitMs);
    if (headerCount > 0) {
        until = std::min(until, packetDeadline);
    }
    if (!connected) {
        until = std::min(until, nextIdleConnect);
    }
    return msUntil(until);
}

uint32_t CLNetworkModule::recvHeader() {
    if (socket == kInvalidSocket || !clsocket::readable(socket, 5)) {
        return 0;
    }
    const long got = clsocket::recvSome(socket, headerBytes + headerCount, 4 - headerCount);
    if (got <= 0) {
        return 0;
    }
    if (headerCount == 0) {
        packetDeadline = Clock::now() + std::chrono::milliseconds(ioTimeoutMs);
    }
    headerCount += static_cast<uint32_t>(got);
    if (headerCount == 4) {
        headerComplete = true;
        bodyLength = uint32_t(headerBytes[0]) << 24 | uint32_t(headerBytes[1]) << 16 |
                     uint32_t(headerBytes[2]) << 8 | uint32_t(headerBytes[3]);
    }
    return static_cast<uint32_t>(got);
}

uint32_t CLNetworkModule::recvData() {
    uint32_t total = 0;
    for (;;) {
        if (!headerComplete) {
            const uint32_t got = recvHeader();
            total += got;
            if (got == 0 || !headerComplete) {
                return total;
            }
            if (bodyLength > kMaxBodyLength) {
                writeLog("数据包长度异常：", std::to_string(bodyLength));
                resetReceive();
                return 0;
            }
            // An empty body is still a packet; one byte keeps its area a real one.
            body.reset(new (std::nothrow) uint8_t[bodyLength > 0 ? bodyLength : 1]);
            if (!body) {
                writeLog("内存分配失败 试图分配字节数：", std::to_string(bodyLength));
                resetReceive();
                return 0;
            }
        }
        if (socket == kInvalidSocket) {
            return total;
        }
        if (bodyCount < bodyLength) {
            // The body follows its length field, so wait for it, but only until the packet is
            // out of time.
            const uint32_t missing = bodyLength - bodyCount;
            long got;
            do {
                const clsocket::Wait wait =
                    clsocket::waitFor(socket, false, msUntil(packetDeadline), stopCheck());
                if (wait == clsocket::Wait::Cancelled) {
                    return total;
                }
                got = wait == clsocket::Wait::Ready
                          ? clsocket::recvSome(socket, body.get() + bodyCount, missing)
                          : -1;
            } while (got == clsocket::kWouldBlock && !packetOverdue());
            if (got < 0) {
                writeLog("数据读取异常");
                return 0;
            }
            if (got == 0) {
                return total;
            }
            bodyCount += static_cast<uint32_t>(got);
            total += static_cast<uint32_t>(got);
            if (static_cast<uint32_t>(got) < missing) {
                // All that has come is taken: a packet still short when out of time is not
                // coming.
                if (packetOverdue()) {
                    writeLog("数据读取异常");
                    return 0;
                }
                return total;
            }
        }
        onPacket(body.get(), bodyLength);
        resetReceive();
    }
}

void CLNetworkModule::onPacket(const uint8_t* body, uint32_t length) {
    writeLog("处理完整数据包大小：", std::to_string(length));
    notify(PACKET_RECEIVED, body, length);
}
