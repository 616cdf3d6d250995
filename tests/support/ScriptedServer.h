#pragma once
// A game server of the test's own on 127.0.0.1: a real socket peer, on a thread of its own, that
// answers each request of the client by a script and sends whatever the test hands it, well-formed
// or not. The client meets it through its real network thread, as it would any server.

#include "LoopbackPeer.h"
#include "Packet.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class ScriptedServer {
public:
    // The bytes to send back for a request (any number of packets, or none).
    using Script = std::function<Bytes(const ParsedRequest&)>;

    explicit ScriptedServer(Script script);
    // Stops the thread and closes every connection.
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    uint16_t port() const { return peer.port; }
    // Sent to the current connection after what is already on its way; dropped without one.
    void send(const Bytes& bytes);

    // A response or push packet with these fields.
    static Bytes packet(int32_t code, uint32_t seq, const CLDataBuffer& fields);

private:
    void run();
    void takeRequests();

    Script script;
    LoopbackPeer peer;
    std::atomic<bool> stopping{false};
    std::atomic<int> connection{-1};
    std::mutex mutex; // guards outbox and inbox
    Bytes outbox;
    Bytes inbox;
    std::thread thread; // last: starts once the rest is built
};
