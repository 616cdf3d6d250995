#pragma once
// Texts from the network are cut to what the screen has room for before they reach the engine:
// a server may send anything, and a name of megabytes must not become a texture of gigabytes.

#include <cstddef>
#include <string>

namespace scenes {

// The longest name the game server accepts, in bytes.
constexpr size_t kMaxNameBytes = 32;
// The menu's notice: a few lines of its width.
constexpr size_t kMaxNoticeCharacters = 300;

// The first `count` characters of UTF-8 text, never cutting one in half.
std::string firstCharacters(const std::string& text, size_t count);
// At most `bytes` bytes of UTF-8 text, ending at a character boundary.
std::string firstBytes(const std::string& text, size_t bytes);

} // namespace scenes
