#pragma once
// What a scene's listener receives for an answer, a push, a failed request or a change of the
// connection. The director owns all three buffers and frees them as soon as the listener
// returns: a listener copies what it keeps. Check `status` first and read `response` only when
// it is PACKET_RECEIVED.
//
// The status is the director's own type, with the values of the network module's callback
// types, so that scenes need nothing of the network layer.

#include "CLDataBuffer.h"

#include <cstdint>

enum PackStatus : int32_t {
    PACKET_RECEIVED = 0,    // the server's answer or push is in `response`
    SEND_NOT_CONNECTED = 1, // the request never went out: no connection
    SEND_FAILED = 2,        // the request was lost with its connection, or never answered
};

struct ResponseDataPack {
    CLDataBuffer* request = nullptr;  // the body sent with the request; null for a push
    CLDataBuffer* context = nullptr;  // kept with the request, never sent; may be null
    CLDataBuffer* response = nullptr; // the parsed fields; null without field bytes or on failure
    int32_t code = 0;
    PackStatus status = PACKET_RECEIVED;
};
