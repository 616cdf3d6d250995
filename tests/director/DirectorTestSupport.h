#pragma once
// A one-line picture of typed fields, for comparing what was parsed or delivered.

#include "CLDataBuffer.h"

#include <sstream>
#include <string>

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
