#pragma once
// The game client as a server's bytes find it, for the receive-path fuzzer: the real scenes
// headless on one engine harness that lives as long as the process (fonts and pictures are read
// once and stay cached), and for each input a new GBDirector, never started, logged in as a
// fixed player, with a fixed first scene. Whatever an input changes leaves with its director and
// its scenes when the input ends, so that any input replays the same way on its own.

#include "GBDirector.h"
#include "harness/EngineHarness.h"

#include <cstdint>
#include <memory>

namespace clientfuzz {

// The player every input is logged in as, and the opponent the seeds are matched with.
constexpr int32_t kMe = 7;
constexpr int32_t kThem = 9;
// The numbers the start leaves behind, which seeds and inputs answer to: the login (0), the
// director's own login again after a lost connection (1), and the first scene's request (2: the
// join in the match room, the notice in the menu).
constexpr uint32_t kLoginSeq = 0;
constexpr uint32_t kLoginAgainSeq = 1;
constexpr uint32_t kFirstSceneSeq = 2;

enum class Start { MatchRoom, Menu };

class ClientWorld {
public:
    // The process's one world; the engine is set up on the first call.
    static ClientWorld& get();
    // Frees the world and purges the engine with its font and picture caches. For exit: called
    // before the engine's own static caches are destroyed (an atexit registration made after
    // they exist), so that nothing they hold is reported as leaked.
    static void shutDown();

    // A new director logged in as kMe and the first scene running: the match room with Join
    // pressed (its answer still to come), or the main menu asking for the notice.
    void begin(Start start);
    // The scenes leave (their destructors take back their listeners), then the director goes.
    void end();

    GBDirector& director() { return *director_; }
    EngineHarness& harness() { return *harness_; }

    // The real network thread's hand-overs: a body off the wire, the end or the making of a
    // connection, and a queued request (seq, code) that could not go out.
    void received(const uint8_t* body, uint32_t length);
    void connectionLost();
    void connected(bool greeted);
    void requestFailed(bool notConnected, uint32_t seq, int32_t code);

private:
    ClientWorld();
    ~ClientWorld();
    template <typename Layer>
    Layer* show(Layer* layer);
    void logIn();

    EngineHarness* harness_ = nullptr; // the engine outlives every input
    std::unique_ptr<GBDirector> director_;
};

} // namespace clientfuzz
