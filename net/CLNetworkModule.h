#pragma once
// The network layer: the game's one TCP client of the game server. CLNetworkModule keeps one
// connection, reconnecting while it is down (at once for a packet to send, else once a second);
// sends the finished packets that sendData queued, one per pass; cuts the received stream into
// packets by their 4-byte big-endian length field; and hands every received body, every packet
// that could not go out, and the end and the making of a connection, to one callback. It does not
// know what the packets mean: building them, the greeting included, is the director's work.
// Every event is written to a day file through CLLogWriter.
//
// Ownership: GBDirector owns the one module; the module owns its socket, its log writer and
// copies of the queued packets. Threads: run() and all it calls, the callback included, runs on
// the network thread. sendData, setGreeting and requestStop may be called from any thread;
// connectServer from the owner before the network thread starts. Only the send queue and the
// greeting (under queueMutex) and the stop flag are shared between threads.
//
// Every wait of the network thread on its socket (connect, send, the rest of a packet) runs in
// short slices that watch the stop flag, so that closing the game never waits on the network.
// Between passes an idle thread blocks in one wait that the socket, sendData and requestStop
// end early, so it wakes a few times a second, not at every pass.

#include "CLLogWriter.h"
#include "CLSocket.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CLNetworkModule {
public:
    enum CallBackType {
        PACKET_RECEIVED = 0,
        SEND_NOT_CONNECTED = 1,
        SEND_FAILED = 2,
        // An established connection ended (the peer closed it, a receive or send failed, the
        // stream broke); not raised at a stop. No data.
        CONNECTION_LOST = 3,
        // The network thread made a connection; the data is the greeting sent first on it, or
        // none when there is no greeting.
        CONNECTED = 4,
    };
    // PACKET_RECEIVED carries a body without its length field, the send failures the whole
    // queued packet. The bytes live only for the call: a receiver copies what it keeps.
    using Callback = std::function<void(CallBackType, const uint8_t*, uint32_t)>;

    // A length field above this is not a packet of ours but a broken stream.
    static constexpr uint32_t kMaxBodyLength = 16u << 20;
    // A server that does not answer must not freeze the caller: the first connect runs on the
    // main thread. A peer that stalls mid-packet must not hold the connection: a packet not
    // complete an io time-out after its first byte came, or a send that the peer takes nothing
    // of for that long, breaks the connection.
    static constexpr int kConnectTimeoutMs = 3000;
    static constexpr int kIoTimeoutMs = 5000;
    // While down and with nothing to send, a new connect is tried this often.
    static constexpr int kIdleReconnectMs = 1000;
    // The longest wait between passes when nothing is due: only a bound on a missed wake-up,
    // since the socket, a queued packet, a stop and every deadline end the wait themselves. An
    // idle game's network thread thus wakes about once a second.
    static constexpr int kIdleWaitMs = 1000;

    // With `resolve`, the host name is replaced by the dotted text of its first IPv4 address;
    // a name that does not resolve stays, and every connect then fails. Never connects.
    CLNetworkModule(Callback callback, const char* logPrefix, const std::string& host,
                    uint16_t port, bool resolve);
    // Only after run() has returned.
    ~CLNetworkModule();

    CLNetworkModule(const CLNetworkModule&) = delete;
    CLNetworkModule& operator=(const CLNetworkModule&) = delete;

    // Drops any connection and its half-received packet, then connects anew.
    bool connectServer();
    // Queues a copy of a finished packet (length field included); false for an empty packet or
    // when no copy can be made.
    bool sendData(const uint8_t* data, uint32_t length);
    // A finished packet sent first on every connection the network thread makes from now on,
    // before anything queued (the owner's login again after a lost connection); an empty one
    // sends nothing. Any thread.
    void setGreeting(const uint8_t* data, uint32_t length);
    // The network thread's loop; returns soon after requestStop (within a wait slice, even in
    // the middle of a connect, a send or a packet), freeing unsent packets.
    void run();
    void requestStop();
    void clearSendQueue();
    // Passes the loop has begun; for tests and tools that check how often an idle thread wakes.
    uint64_t passCount() const { return passes.load(); }

    // The receive steps: each takes what has arrived, one length field or body at a time, and
    // returns the bytes taken, 0 when the connection is to be treated as broken (unless a stop
    // was requested, which ends a wait for a body early).
    uint32_t recvData();
    uint32_t recvHeader();
    void onPacket(const uint8_t* body, uint32_t length);

    // Limits for connects, sends and packets begun afterwards; tests shorten them.
    void setTimeouts(int connectMs, int ioMs);
    // Takes over an already connected socket, as connectServer would leave it.
    void adoptConnection(CLSocketHandle connection);

private:
    struct Packet {
        std::unique_ptr<uint8_t[]> data;
        uint32_t length = 0;
    };

    enum class SendResult { Sent, Failed, Stopped };

    void notify(CallBackType type, const uint8_t* data, uint32_t length);
    void disconnect();
    void loseConnection();
    void connectFromLoop();
    void dropBrokenStream();
    bool reconnectDue();
    int idleWaitMs();
    void resetReceive();
    bool sendQueuedPacket();
    SendResult sendAll(const uint8_t* data, uint32_t length);
    bool stopRequested() const { return stopFlag.load(); }
    clsocket::Cancel stopCheck() const {
        return [this] { return stopRequested(); };
    }
    bool packetOverdue() const;
    void writeLog(const char* text, const std::string& number = std::string());

    Callback callback;
    bool connected = false;
    std::atomic<bool> stopFlag{false};
    std::atomic<uint64_t> passes{0};
    clsocket::WakeUp wakeUp; // raised by sendData and requestStop
    std::deque<Packet> sendQueue;
    std::vector<uint8_t> greeting; // under queueMutex
    std::mutex queueMutex;
    CLSocketHandle socket = kInvalidSocket;
    uint8_t headerBytes[4] = {};
    uint32_t headerCount = 0;
    bool headerComplete = false;
    std::unique_ptr<uint8_t[]> body;
    uint32_t bodyLength = 0;
    uint32_t bodyCount = 0;
    // When the packet being received must be complete: its first byte's arrival + io time-out.
    std::chrono::steady_clock::time_point packetDeadline;
    std::chrono::steady_clock::time_point nextIdleConnect; // network thread only
    CLLogWriter log;
    std::string host;
    uint16_t port;
    int connectTimeoutMs = kConnectTimeoutMs;
    int ioTimeoutMs = kIoTimeoutMs;
};
