#pragma once
// What a scene's listener receives for an answer, a push or a failed request. The director owns
// all three buffers and frees them as soon as the listener returns: a listener copies what it
// keeps. Check `status` first and read `response` only when it is PACKET_RECEIVED.
//
// It names the network module's status codes, so it belongs to koralith_director, not to the
// engine-free message format that the game server shares.

#include "CLDataBuffer.h"
#include "CLNetworkModule.h"

#include <cstdint>

struct ResponseDataPack {
    CLDataBuffer* request = nullptr;  // the body sent with the request; null for a push
    CLDataBuffer* context = nullptr;  // kept with the request, never sent; may be null
    CLDataBuffer* response = nullptr; // the parsed fields; null without field bytes or on failure
    int32_t code = 0;
    CLNetworkModule::CallBackType status = CLNetworkModule::PACKET_RECEIVED;
};
