#include "Packet.h"

#include <cstring>

void appendWord(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(uint8_t(value >> 24));
    out.push_back(uint8_t(value >> 16));
    out.push_back(uint8_t(value >> 8));
    out.push_back(uint8_t(value));
}

uint32_t readWord(const uint8_t* at) {
    return uint32_t(at[0]) << 24 | uint32_t(at[1]) << 16 | uint32_t(at[2]) << 8 | uint32_t(at[3]);
}

namespace {

void putWord(uint8_t* at, uint32_t value) {
    at[0] = uint8_t(value >> 24);
    at[1] = uint8_t(value >> 16);
    at[2] = uint8_t(value >> 8);
    at[3] = uint8_t(value);
}

size_t wireSize(const CLDataBuffer* fields) {
    if (fields == nullptr) {
        return 0;
    }
    size_t n = fields->totalBytes() + fields->fieldCount();
    for (size_t i = 0; i < fields->fieldCount(); ++i) {
        n += fields->field(i)->type == FIELD_BYTES ? 4 : 0;
    }
    return n;
}

void appendFields(std::vector<uint8_t>& out, const CLDataBuffer* fields) {
    if (fields == nullptr) {
        return;
    }
    for (size_t i = 0; i < fields->fieldCount(); ++i) {
        const DataField& f = *fields->field(i);
        out.push_back(uint8_t(f.type));
        switch (f.type) {
        case FIELD_INT:
            appendWord(out, uint32_t(f.value.intValue));
            break;
        case FIELD_FLOAT: {
            uint32_t bits;
            std::memcpy(&bits, &f.value.floatValue, 4);
            appendWord(out, bits);
            break;
        }
        case FIELD_STRING:
            out.insert(out.end(), f.value.bytes, f.value.bytes + f.size);
            break;
        case FIELD_BYTES:
            appendWord(out, f.size);
            out.insert(out.end(), f.value.bytes, f.value.bytes + f.size);
            break;
        default: // FIELD_EMPTY: the type byte alone
            break;
        }
    }
}

std::vector<uint8_t> startPacket(size_t headerSize, const CLDataBuffer* fields) {
    const size_t length = headerSize + wireSize(fields);
    std::vector<uint8_t> packet;
    packet.reserve(kLengthFieldSize + length);
    appendWord(packet, uint32_t(length));
    return packet;
}

float floatFromBits(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

} // namespace

std::vector<uint8_t> buildRequestPacket(uint32_t seq, int32_t code, const CLDataBuffer* body) {
    std::vector<uint8_t> packet = startPacket(kRequestHeaderSize, body);
    appendWord(packet, seq);
    appendWord(packet, kRequestWord);
    appendWord(packet, uint32_t(code));
    appendFields(packet, body);
    return packet;
}

std::vector<uint8_t> buildResponsePacket(int32_t code, uint32_t seq, const CLDataBuffer* fields) {
    std::vector<uint8_t> packet = startPacket(kResponseHeaderSize, fields);
    appendWord(packet, uint32_t(code));
    appendWord(packet, seq);
    appendFields(packet, fields);
    return packet;
}

void buildIntResponsePacket(std::vector<uint8_t>& out, int32_t code, uint32_t seq,
                            std::initializer_list<int32_t> values) {
    out.resize(kLengthFieldSize + kResponseHeaderSize + 5 * values.size());
    uint8_t* at = out.data();
    putWord(at, uint32_t(out.size() - kLengthFieldSize));
    putWord(at + 4, uint32_t(code));
    putWord(at + 8, seq);
    at += kLengthFieldSize + kResponseHeaderSize;
    for (int32_t v : values) {
        at[0] = FIELD_INT;
        putWord(at + 1, uint32_t(v));
        at += 5;
    }
}

namespace {

// Reads fields from body[p, n) into `out`. The client's reading is lenient: a cut field is
// dropped, an unknown type byte skipped, and the answer is always true. The strict reading
// refuses anything that is not well formed with false.
bool parseFields(const uint8_t* body, size_t p, size_t n, CLDataBuffer& out, bool strict) {
    while (p < n) {
        const uint8_t type = body[p++];
        const size_t left = n - p;
        switch (type) {
        case FIELD_INT:
        case FIELD_FLOAT:
            if (left < 4) {
                return !strict; // dropped; nothing follows it
            }
            if (type == FIELD_INT) {
                out.addInt(int32_t(readWord(body + p)));
            } else {
                out.addFloat(floatFromBits(readWord(body + p)));
            }
            p += 4;
            break;
        case FIELD_EMPTY:
            break;
        case FIELD_STRING: {
            const void* nul = std::memchr(body + p, 0, left);
            if (nul == nullptr) {
                return !strict; // a string without its NUL ends the fields
            }
            out.addString(reinterpret_cast<const char*>(body + p));
            p = static_cast<const uint8_t*>(nul) - body + 1;
            break;
        }
        case FIELD_BYTES: {
            if (left < 4) {
                if (strict) {
                    return false;
                }
                break; // the next byte is read as a type byte
            }
            const uint32_t size = readWord(body + p);
            if (size > left - 4) {
                return !strict;
            }
            out.addBytes(body + p + 4, size);
            p += 4 + size;
            break;
        }
        default: // an unknown type byte: skipped alone, or refused
            if (strict) {
                return false;
            }
            break;
        }
    }
    return true;
}

} // namespace

ParsedResponse parseResponseBody(const uint8_t* body, size_t n) {
    ParsedResponse out;
    if (body == nullptr || n < kResponseHeaderSize) {
        return out;
    }
    out.code = int32_t(readWord(body));
    out.seq = readWord(body + 4);
    if (n > kResponseHeaderSize) {
        out.fields = std::make_unique<CLDataBuffer>();
        parseFields(body, kResponseHeaderSize, n, *out.fields, false);
    }
    return out;
}

const char* decodeRequestHeader(const uint8_t* body, size_t n, RequestHeader& out) {
    if (body == nullptr || n < kRequestHeaderSize) {
        return "shorter than a request header";
    }
    if (readWord(body + 4) != kRequestWord) {
        return "without the request word";
    }
    out.seq = readWord(body);
    out.code = int32_t(readWord(body + 8));
    return nullptr;
}

bool parseRequestBody(const uint8_t* body, size_t n, ParsedRequest& out) {
    if (decodeRequestHeader(body, n, out.header) != nullptr) {
        return false;
    }
    out.fields.clear();
    return parseFields(body, kRequestHeaderSize, n, out.fields, true);
}
