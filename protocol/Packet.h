#pragma once
// Packets of the message format, both directions. On the wire every packet is a big-endian
// 32-bit body length L followed by L body bytes.
//
//   request body:  seq, the word 20, code, fields     (client -> server)
//   response body: code, seq, fields                  (server -> client; pushes too)
//
// Each field is its type byte and its wire form: FIELD_INT and FIELD_FLOAT 4 big-endian bytes,
// FIELD_EMPTY nothing, FIELD_STRING the text and its NUL, FIELD_BYTES a big-endian length N
// and N bytes.
//
// The client's response parser is lenient (a cut-off field is dropped, an unknown type byte is
// skipped) because the client has always read answers that way. The server's request parser is
// strict: anything that is not a well-formed request is reported as invalid.

#include "CLDataBuffer.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

constexpr uint32_t kRequestWord = 20;
constexpr size_t kLengthFieldSize = 4;
constexpr size_t kRequestHeaderSize = 12;
constexpr size_t kResponseHeaderSize = 8;

// The whole request packet, length field included. `body` may be null (no fields).
std::vector<uint8_t> buildRequestPacket(uint32_t seq, int32_t code, const CLDataBuffer* body);

// The whole response or push packet, length field included. `fields` may be null.
std::vector<uint8_t> buildResponsePacket(int32_t code, uint32_t seq, const CLDataBuffer* fields);
// The same for fields that are all integers, in place of what `out` held and in its storage: the
// server answers a move without allocating.
void buildIntResponsePacket(std::vector<uint8_t>& out, int32_t code, uint32_t seq,
                            std::initializer_list<int32_t> values);

struct ParsedResponse {
    uint32_t seq = 0;
    int32_t code = 0;
    std::unique_ptr<CLDataBuffer> fields; // null when the body carried no field bytes
};

// A response or push body (without its length field). A body shorter than 8 bytes gives code 0,
// seq 0 and no fields. Never reads past `length`.
ParsedResponse parseResponseBody(const uint8_t* body, size_t length);

struct RequestHeader {
    uint32_t seq = 0;
    int32_t code = 0;
};

// The one reader of a request's header, at the start of a request body (without its length
// field): fills `out` and gives null, or gives why not and leaves `out` as it was.
const char* decodeRequestHeader(const uint8_t* body, size_t length, RequestHeader& out);

struct ParsedRequest {
    RequestHeader header;
    CLDataBuffer fields;
};

// A request body (without its length field). False for a body whose header does not decode
// (`out` as it was), or that holds a cut or unknown field (`out.header` filled, so that the
// refusal can name the request). Never reads past `length`.
bool parseRequestBody(const uint8_t* body, size_t length, ParsedRequest& out);

// Big-endian 32-bit words, shared by both sides' framing code.
void appendWord(std::vector<uint8_t>& out, uint32_t value);
uint32_t readWord(const uint8_t* at);
