#include "AccountRules.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

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

// Code points that draw nothing or turn the text around them: format characters (zero-width
// space and joiners, the bidi embeddings, overrides, isolates and marks, word joiner, BOM and
// the rest of Unicode's default-ignorables: soft hyphen, Hangul fillers, variation selectors,
// tags), line and paragraph separators, and the interlinear annotation marks. A name with one
// looks like another name, or makes the text around it on screen read differently.
bool invisible(uint32_t cp) {
    static constexpr std::pair<uint32_t, uint32_t> ranges[] = {
        {0x00AD, 0x00AD},   {0x034F, 0x034F}, {0x061C, 0x061C},   {0x115F, 0x1160},
        {0x17B4, 0x17B5},   {0x180B, 0x180F}, {0x200B, 0x200F},   {0x2028, 0x202E},
        {0x2060, 0x206F},   {0x3164, 0x3164}, {0xFE00, 0xFE0F},   {0xFEFF, 0xFEFF},
        {0xFFA0, 0xFFA0},   {0xFFF0, 0xFFFB}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A},
        {0xE0000, 0xE0FFF},
    };
    for (const auto& [first, last] : ranges) {
        if (cp >= first && cp <= last) {
            return true;
        }
    }
    return false;
}

// Unicode's space separators, and the braille blank that fonts draw as one.
bool blank(uint32_t cp) {
    return cp == 0x20 || cp == 0xA0 || cp == 0x1680 || (cp >= 0x2000 && cp <= 0x200A) ||
           cp == 0x202F || cp == 0x205F || cp == 0x3000 || cp == 0x2800;
}

// The code points of `text`; nothing when it is not well-formed UTF-8.
std::optional<std::vector<uint32_t>> codePoints(const std::string& text) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < text.size();) {
        size_t length = 0;
        out.push_back(decode(text, i, length));
        if (length == 0) {
            return std::nullopt;
        }
        i += length;
    }
    return out;
}

bool control(uint32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
}

} // namespace

bool wellFormedUserName(const std::string& name) {
    if (name.empty() || name.size() > kMaxNameBytes) {
        return false;
    }
    const auto cps = codePoints(name);
    return cps && std::none_of(cps->begin(), cps->end(), control);
}

bool validUserName(const std::string& name) {
    if (!wellFormedUserName(name)) {
        return false;
    }
    const std::vector<uint32_t> cps = *codePoints(name);
    // A name of blanks only starts with one.
    return !blank(cps.front()) && !blank(cps.back()) &&
           std::none_of(cps.begin(), cps.end(), invisible);
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
