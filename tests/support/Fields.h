#pragma once
// Field lists of the shared message format written out in one expression, and a one-line
// picture of them for comparing what was parsed or delivered.

#include "CLDataBuffer.h"

#include <cstdint>
#include <initializer_list>
#include <sstream>
#include <string>

// ints({1, 2}): the fields 1 and 2; strings({"ann", "pw"}) likewise.
inline CLDataBuffer ints(std::initializer_list<int32_t> values) {
    CLDataBuffer out;
    for (int32_t v : values) {
        out.addInt(v);
    }
    return out;
}
inline CLDataBuffer strings(std::initializer_list<const char*> texts) {
    CLDataBuffer out;
    for (const char* text : texts) {
        out.addString(text);
    }
    return out;
}

// "[1,'ann',1.5,<0 255>]" for the fields in order, "null" without a buffer.
inline std::string show(const CLDataBuffer* buffer) {
    if (buffer == nullptr) {
        return "null";
    }
    std::ostringstream out;
    out << "[";
    for (size_t i = 0; i < buffer->fieldCount(); ++i) {
        out << (i ? "," : "");
        if (auto n = buffer->intAt(i)) {
            out << *n;
        } else if (auto s = buffer->stringAt(i)) {
            out << "'" << *s << "'";
        } else if (auto f = buffer->floatAt(i)) {
            out << *f;
        } else if (auto bytes = buffer->bytesAt(i)) {
            out << "<";
            for (size_t k = 0; k < bytes->size(); ++k) {
                out << (k ? " " : "") << int((*bytes)[k]);
            }
            out << ">";
        }
    }
    out << "]";
    return out.str();
}
