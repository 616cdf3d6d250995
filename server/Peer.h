#pragma once
// One client connection as the request handling sees it: somewhere to send whole packets, and
// the connection's place in the lobby. A Session is the real one; the fuzzer has its own.
// Io thread only.
//
// A connection takes one request at a time. While a request waits on a worker (`busy`), or while
// the end of a game it played waits on the database (`recording`), its next request waits too.
// While a game's end is being recorded, what the connection is sent is held back: nobody hears
// of an end before it is on disk, and nothing sent after it overtakes it.

#include <cstdint>
#include <string>
#include <vector>

class Game;

struct PeerState {
    // What a move reads first, together: a move finds its opponent's connection cold.
    Game* game = nullptr;    // the running game it plays in, owned by the Lobby
    int recording = 0;       // ends of its games that wait on the database
    bool busy = false;       // one of its requests waits on a worker
    bool waiting = false;    // in the match queue
    int32_t userId = -1;     // -1: not logged in
    uint64_t connection = 0; // set by Lobby::opened, never reused
    std::string userName;
};

class Peer {
public:
    virtual ~Peer() = default;

    // Sends one whole packet, length field included, or keeps it until the recording is done.
    void deliver(std::vector<uint8_t> packet);
    // The request that waited on a worker has been answered.
    void answered();
    // A recording of a game's end that this peer waited on is done: what was held goes out.
    void recorded();
    // The connection may take its next request.
    bool ready() const { return !state.busy && state.recording == 0; }

    virtual const std::string& address() const = 0;
    // Called when the peer has become ready: a Session goes on with the requests that waited.
    virtual void resume() {}
    // Closes the connection cleanly: later, not under the caller, and after what was sent before.
    virtual void end(const char* why) { (void)why; }
    // As end, but after what is held back for a recording, too: that goes out first.
    void endWhenSent(const char* why);

    PeerState state;

protected:
    // Queues one whole packet. Ignored once the connection is closed.
    virtual void send(std::vector<uint8_t> packet) = 0;

private:
    std::vector<std::vector<uint8_t>> held; // while recording
    const char* endAfterHeld = nullptr;     // the reason of an end that waits for `held`
};
