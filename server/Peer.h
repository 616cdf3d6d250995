#pragma once
// One client connection as the request handling sees it: somewhere to send whole packets, and
// the connection's place in the lobby. A Session is the real one; the fuzzer has its own.
// Io thread only.

#include <cstdint>
#include <string>
#include <vector>

class Game;

struct PeerState {
    uint64_t connection = 0; // set by RequestHandler::opened, never reused
    int32_t userId = -1;     // -1: not logged in
    std::string userName;
    bool waiting = false;  // in the match queue
    Game* game = nullptr;  // the running game it plays in, owned by the Lobby
    int pendingLogins = 0; // logins and registrations on the worker pool
};

class Peer {
public:
    virtual ~Peer() = default;
    // Queues one whole packet, length field included. Ignored once the connection is closed.
    virtual void send(std::vector<uint8_t> packet) = 0;
    virtual const std::string& address() const = 0;

    PeerState state;
};
