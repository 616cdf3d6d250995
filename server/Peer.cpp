#include "Peer.h"

#include <cassert>
#include <utility>

void Peer::deliver(std::vector<uint8_t> packet) {
    if (state.recording > 0) {
        held.push_back(std::move(packet));
        return;
    }
    send(std::move(packet));
}

void Peer::endWhenSent(const char* why) {
    if (state.recording > 0) {
        endAfterHeld = why;
        return;
    }
    end(why);
}

void Peer::answered() {
    state.busy = false;
    if (ready()) {
        resume();
    }
}

void Peer::recorded() {
    assert(state.recording > 0);
    if (--state.recording > 0) {
        return;
    }
    for (std::vector<uint8_t>& packet : held) {
        send(std::move(packet));
    }
    held.clear();
    if (const char* why = std::exchange(endAfterHeld, nullptr)) {
        end(why);
        return;
    }
    if (ready()) {
        resume();
    }
}
