#pragma once
// What a registration may carry: a name of 1 to 32 bytes of well-formed UTF-8 without control
// characters, and the client's password digest, 32 lowercase hexadecimal characters.

#include <string>

constexpr size_t kMaxNameBytes = 32;

bool validUserName(const std::string& name);
bool validDigest(const std::string& digest);
