#include "AccountRules.h"

#include <cstdint>

namespace {

// The code point starting at text[i] and its length in bytes; length 0 when the bytes there are
// not well-formed UTF-8 (overlong forms, surrogates and values past U+10FFFF included).
uint32_t decode(const std::string& text, size_t i, size_t& length) {
    const auto byte = [&](size_t k) { return uint8_t(text[k]); };
    const uint8_t lead = byte(i);
    length = 0;
    uint32_t cp;
    size_t n;
    uint32_t min;
    if (lead < 0x80) {
        length = 1;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        cp = lead & 0x1F, n = 2, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        cp = lead & 0x0F, n = 3, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        cp = lead & 0x07, n = 4, min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > text.size()) {
        return 0;
    }
    for (size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        cp = cp << 6 | (byte(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    length = n;
    return cp;
}

} // namespace

bool validUserName(const std::string& name) {
    if (name.empty() || name.size() > kMaxNameBytes) {
        return false;
    }
    for (size_t i = 0; i < name.size();) {
        size_t length = 0;
        const uint32_t cp = decode(name, i, length);
        if (length == 0 || cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) {
            return false;
        }
        i += length;
    }
    return true;
}

bool validDigest(const std::string& digest) {
    if (digest.size() != 32) {
        return false;
    }
    for (char c : digest) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}
