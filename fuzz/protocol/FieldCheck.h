#pragma once
// Checks shared by the message-format fuzzers: a parsed buffer is self-consistent, and writing
// it out again and reading that back gives the same fields.

#include "CLDataBuffer.h"

#include <cstdlib>
#include <cstring>

inline void checkConsistent(const CLDataBuffer& b) {
    uint32_t total = 0;
    for (size_t i = 0; i < b.fieldCount(); ++i) {
        const DataField& f = *b.field(i);
        switch (f.type) {
        case FIELD_INT:
        case FIELD_FLOAT:
            if (f.size != 4) {
                std::abort();
            }
            break;
        case FIELD_STRING:
            if (f.size == 0 || f.value.bytes[f.size - 1] != 0 ||
                std::memchr(f.value.bytes, 0, f.size - 1) != nullptr) {
                std::abort();
            }
            break;
        case FIELD_BYTES:
            break;
        default:
            std::abort(); // the parsers never keep FIELD_EMPTY or unknown types
        }
        total += f.size;
    }
    if (total != b.totalBytes()) {
        std::abort();
    }
}

inline void checkSame(const CLDataBuffer& a, const CLDataBuffer& b) {
    if (a.fieldCount() != b.fieldCount() || a.totalBytes() != b.totalBytes()) {
        std::abort();
    }
    for (size_t i = 0; i < a.fieldCount(); ++i) {
        const DataField& x = *a.field(i);
        const DataField& y = *b.field(i);
        if (x.type != y.type || x.size != y.size) {
            std::abort();
        }
        const bool same = x.type == FIELD_INT ? x.value.intValue == y.value.intValue
                          : x.type == FIELD_FLOAT
                              ? std::memcmp(&x.value.floatValue, &y.value.floatValue, 4) == 0
                              : std::memcmp(x.value.bytes, y.value.bytes, x.size) == 0;
        if (!same) {
            std::abort();
        }
    }
}
