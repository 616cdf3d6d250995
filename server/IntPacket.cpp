#include "IntPacket.h"

#include "Packet.h"

#include <utility>

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
