// The client's receive path, from a server's bytes to the scenes' listeners: the real
// GBDirector (never started: what its network thread would hand over is handed over here), the
// real scenes headless, the game's pictures and texts. Every input starts logged in, either in
// the match room having pressed Join (so that a match push starts a game) or in the main menu,
// then takes steps as its bytes say; the client is checked after every step (SceneChecks.h).
//
// Input: byte 0 picks the start (bit 0: 0 the match room, 1 the menu); then steps, each one
// byte whose value modulo 8 picks what happens, followed by the bytes that step reads:
//   0  a body off the wire: a 2-byte big-endian length L, then L bytes (fewer if the input ends)
//   1  the frames of one dispatch step (0.1 s)
//   2  1 + (b % 64) frames
//   3  a dispatch step by hand of b tenths of a second (requests expire, held pushes age)
//   4  the connection: b % 3 is 0 lost, 1 made with the login again going first, 2 made bare
//   5  request (seq s, code c % 11) could not go out; bit 3 of the step byte: not connected
//   6  a touch at board point (x % 15, y % 15), when a board is shown
//   7  a tap on the shown scene's button b % count (not exit, which ends the engine, nor the
//      single-player game, which is not on the receive path)
// After the last step come the frames of one more dispatch step, so that nothing sent is left
// undelivered.
#include "ClientWorld.h"
#include "GoBangGame.h"
#include "SceneChecks.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

USING_NS_CC;
using namespace clientfuzz;

namespace {

// Frames one input may run, so that no input runs for long: 30 s of game time.
constexpr int kFrameBudget = 1800;
constexpr int kFramesPerDispatch = 6;

class Input {
public:
    Input(const uint8_t* data, size_t size) : at(data), end(data + size) {}
    bool empty() const { return at == end; }
    size_t left() const { return static_cast<size_t>(end - at); }
    bool has(size_t n) const { return left() >= n; }
    uint8_t byte() { return *at++; }
    const uint8_t* take(size_t n) {
        const uint8_t* out = at;
        at += n;
        return out;
    }

private:
    const uint8_t* at;
    const uint8_t* end;
};

class Steps {
public:
    explicit Steps(ClientWorld& world) : world(world), h(world.harness()) {}

    // One step; false when the input ends before the step has what it reads.
    bool next(Input& in) {
        const uint8_t step = in.byte();
        const int kind = step % 8;
        if (kind == 0) {
            return body(in);
        }
        if (kind == 1) {
            frames(kFramesPerDispatch);
            return true;
        }
        const size_t reads = kind == 5 || kind == 6 ? 2 : 1;
        if (!in.has(reads)) {
            return false;
        }
        const uint8_t a = in.byte();
        const uint8_t b = reads == 2 ? in.byte() : 0;
        switch (kind) {
        case 2:
            frames(1 + a % 64);
            break;
        case 3:
            world.director().dispatchEvents(a * 0.1f);
            break;
        case 4:
            connection(a % 3);
            break;
        case 5:
            world.requestFailed(step & 8, a, b % 11);
            break;
        case 6:
            touchBoard(a % 15, b % 15);
            break;
        default:
            tapButton(a);
            break;
        }
        return true;
    }

    void frames(int count) {
        count = std::min(count, budget);
        budget -= count;
        h.frame(count);
    }
    // Outside the budget: what the last steps sent is delivered whatever came before.
    void settle() { h.frame(kFramesPerDispatch); }

private:
    bool body(Input& in) {
        if (!in.has(2)) {
            return false;
        }
        size_t length = size_t(in.byte()) << 8;
        length |= in.byte();
        length = std::min(length, in.left());
        // A copy of exactly the body, so that AddressSanitizer sees any read past it.
        const uint8_t* from = in.take(length);
        const std::vector<uint8_t> bytes(from, from + length);
        world.received(bytes.data(), static_cast<uint32_t>(bytes.size()));
        return true;
    }

    void connection(int what) {
        if (what == 0) {
            world.connectionLost();
        } else {
            world.connected(what == 1);
        }
    }

    void touchBoard(int x, int y) {
        auto* board = h.find<GoBangGame>();
        if (board) {
            h.touch(board->getBoardSprite()->convertToWorldSpace(GoBangGame::pointPosition(x, y)));
        }
    }

    void tapButton(uint8_t which) {
        std::vector<ui::Button*> buttons;
        for (Node* node : h.allNodes()) {
            auto* button = dynamic_cast<ui::Button*>(node);
            if (button && button->getNormalFile() != "images/exitgame.png" &&
                button->getNormalFile() != "images/danjigame.png") {
                buttons.push_back(button);
            }
        }
        if (!buttons.empty()) {
            h.tap(buttons[which % buttons.size()]);
        }
    }

    ClientWorld& world;
    EngineHarness& h;
    int budget = kFrameBudget;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    learnSceneTexts(ClientWorld::get());
    std::atexit(ClientWorld::shutDown); // after the engine's caches exist: it runs before they go
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    ClientWorld& world = ClientWorld::get();
    world.begin(data[0] & 1 ? Start::Menu : Start::MatchRoom);
    checkClient(world);
    Input in(data + 1, size - 1);
    Steps steps(world);
    while (!in.empty() && steps.next(in)) {
        checkClient(world);
    }
    steps.settle();
    checkClient(world);
    world.end();
    return 0;
}
