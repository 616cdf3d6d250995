#include "TextBounds.h"

namespace scenes {

namespace {
bool continues(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}
} // namespace

std::string firstCharacters(const std::string& text, size_t count) {
    size_t end = 0;
    // A character has three continuation bytes at most: a server's broken text of one lead
    // byte and megabytes of them must not pass as one character.
    for (size_t seen = 0; end < text.size() && seen < count; ++seen) {
        ++end;
        for (int more = 0; more < 3 && end < text.size() && continues(text[end]); ++more) {
            ++end;
        }
    }
    return text.substr(0, end);
}

std::string firstBytes(const std::string& text, size_t bytes) {
    if (text.size() <= bytes) {
        return text;
    }
    size_t end = bytes;
    while (end > 0 && continues(text[end])) {
        --end;
    }
    return text.substr(0, end);
}

} // namespace scenes
