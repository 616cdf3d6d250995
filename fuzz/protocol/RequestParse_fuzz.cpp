// Arbitrary bytes as a request body: the strict parser accepts exactly the well-formed bodies.
// An accepted body, written out again, parses to the same request; and the rebuilt body is the
// input itself whenever the input held no FIELD_EMPTY byte (the only field the parser drops).
#include "FieldCheck.h"
#include "Packet.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> body(data, data + size);
    ParsedRequest request;
    if (!parseRequestBody(body.data(), body.size(), request)) {
        return 0;
    }
    if (size < 12 || readWord(body.data() + 4) != kRequestWord) {
        std::abort();
    }
    checkConsistent(request.fields);
    const std::vector<uint8_t> again =
        buildRequestPacket(request.header.seq, request.header.code, &request.fields);
    ParsedRequest back;
    if (!parseRequestBody(again.data() + 4, again.size() - 4, back) ||
        back.header.seq != request.header.seq || back.header.code != request.header.code) {
        std::abort();
    }
    checkSame(request.fields, back.fields);
    // Without FIELD_EMPTY the encoding is unique, so the rebuilt body equals the input.
    size_t empties = (again.size() - 4 <= size) ? size - (again.size() - 4) : 0;
    if (empties == 0 &&
        (again.size() - 4 != size || std::memcmp(again.data() + 4, body.data(), size) != 0)) {
        std::abort();
    }
    return 0;
}
