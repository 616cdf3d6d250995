#include "Peer.h"

#include "Packet.h"

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

namespace {

// Per thread, since the fuzzer and the tests build packets too; the server builds them on its io
// thread only.
thread_local std::vector<uint8_t> sparePacket;

} // namespace

std::vector<uint8_t> intPacket(int32_t code, uint32_t seq, std::initializer_list<int32_t> values) {
    std::vector<uint8_t> packet = std::move(sparePacket);
    buildIntResponsePacket(packet, code, seq, values);
    return packet;
}

void recyclePacket(std::vector<uint8_t> packet) {
    // An integer packet is a few dozen bytes; the storage of a long text is not worth keeping.
    if (packet.capacity() <= 256) {
        sparePacket = std::move(packet);
    }
}
