// Arbitrary bytes as a response body: the lenient parser must never read past the body, and
// what it keeps must survive being written out and read again unchanged.
#include "FieldCheck.h"
#include "Packet.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A heap copy of exactly `size` bytes, so that ASan sees any read past the body.
    std::vector<uint8_t> body(data, data + size);
    const ParsedResponse r = parseResponseBody(body.data(), body.size());
    if (size < 8) {
        if (r.code != 0 || r.seq != 0 || r.fields) {
            std::abort();
        }
        return 0;
    }
    if ((size == 8) != (r.fields == nullptr)) {
        std::abort();
    }
    if (!r.fields) {
        return 0;
    }
    checkConsistent(*r.fields);
    const std::vector<uint8_t> again = buildResponsePacket(r.code, r.seq, r.fields.get());
    if (readWord(again.data()) != again.size() - 4) {
        std::abort();
    }
    const ParsedResponse back = parseResponseBody(again.data() + 4, again.size() - 4);
    if (back.code != r.code || back.seq != r.seq) {
        std::abort();
    }
    if (r.fields->fieldCount() > 0) {
        checkSame(*r.fields, *back.fields);
    }
    return 0;
}
