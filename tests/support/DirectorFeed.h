#pragma once
// Feeds a director that is never started what its network thread would hand it: a response or
// push off the wire, or a queued request that could not go out.

#include "CLNetworkModule.h"
#include "Fields.h"
#include "GBDirector.h"
#include "Packet.h"

// An answer to request (seq, code), or a push with seq 0; delivered at the next dispatch step.
inline void arrive(GBDirector& director, int32_t code, uint32_t seq, const CLDataBuffer& fields) {
    const std::vector<uint8_t> packet = buildResponsePacket(code, seq, &fields);
    director.onNetworkEvent(CLNetworkModule::PACKET_RECEIVED, packet.data() + kLengthFieldSize,
                            static_cast<uint32_t>(packet.size() - kLengthFieldSize));
}

// The request packet (seq, code) handed back whole, as the network module does with what it
// could not send.
inline void handBack(GBDirector& director, CLNetworkModule::CallBackType why, uint32_t seq,
                     int32_t code) {
    const std::vector<uint8_t> packet = buildRequestPacket(seq, code, nullptr);
    director.onNetworkEvent(why, packet.data(), static_cast<uint32_t>(packet.size()));
}

// The network thread's word that the connection ended, or that a new one was made with the
// director's login going first on it.
inline void connectionLost(GBDirector& director) {
    director.onNetworkEvent(CLNetworkModule::CONNECTION_LOST, nullptr, 0);
}
inline void connectionMade(GBDirector& director) {
    const uint8_t greeting[1] = {0};
    director.onNetworkEvent(CLNetworkModule::CONNECTED, greeting, 1);
}
