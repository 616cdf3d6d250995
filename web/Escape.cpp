#include "Escape.h"

#include <cstdint>
#include <cstdio>

namespace {

// The length of the well-formed UTF-8 sequence at text[i], 0 when there is none (overlong
// forms, surrogates and values past U+10FFFF included); its code point in `cp`.
size_t sequenceAt(const std::string& text, size_t i, uint32_t& cp) {
    const auto byte = [&](size_t k) { return uint8_t(text[k]); };
    const uint8_t lead = byte(i);
    size_t n = 0;
    uint32_t min = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
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
    const bool valid = cp >= min && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
    return valid ? n : 0;
}

const char* const kReplacement = "\xEF\xBF\xBD";

template <class Escape>
std::string escapeEach(const std::string& raw, Escape escape) {
    const std::string text = cleanText(raw);
    std::string out;
    out.reserve(text.size() + 16);
    for (char c : text) {
        const char* replacement = escape(c);
        if (replacement != nullptr) {
            out += replacement;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::string cleanText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        uint32_t cp = 0;
        const size_t n = sequenceAt(text, i, cp);
        if (n == 0 || cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) {
            out += kReplacement;
            i += n == 0 ? 1 : n;
        } else {
            out.append(text, i, n);
            i += n;
        }
    }
    return out;
}

// What text between tags must not hold as itself.
static const char* htmlTextEntity(char c) {
    switch (c) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    default:
        return nullptr;
    }
}

std::string htmlText(const std::string& text) {
    return escapeEach(text, htmlTextEntity);
}

std::string htmlAttr(const std::string& text) {
    return escapeEach(text, [](char c) -> const char* {
        return c == '"' ? "&quot;" : c == '\'' ? "&#39;" : htmlTextEntity(c);
    });
}

std::string urlSegment(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                                c == '~';
        if (unreserved) {
            out += char(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string jsonString(const std::string& raw) {
    const std::string text = cleanText(raw);
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = text[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c == '<' || c == '>' || c == '&') { // controls are gone already
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\u%04x", c);
            out += hex;
        } else if (c == 0xE2 && i + 2 < text.size() && uint8_t(text[i + 1]) == 0x80 &&
                   (uint8_t(text[i + 2]) == 0xA8 || uint8_t(text[i + 2]) == 0xA9)) {
            out += uint8_t(text[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            out += char(c);
        }
    }
    return out + '"';
}

std::string playerPath(const std::string& name) {
    if (name == "." || name == "..") {
        return "/player?name=" + urlSegment(name);
    }
    return "/player/" + urlSegment(name);
}
