#pragma once
// What a registration may carry: a name, and the client's password digest, 32 lowercase
// hexadecimal characters.

#include <string>

constexpr size_t kMaxNameBytes = 32;

// 1 to 32 bytes of well-formed UTF-8 without control characters: any name a login may name, since
// earlier servers registered every such name.
bool wellFormedUserName(const std::string& name);
// What a new name must be: well-formed, without characters that draw nothing or change the
// direction of the text, and neither starting nor ending with a blank (so never blank only).
bool validUserName(const std::string& name);
bool validDigest(const std::string& digest);
