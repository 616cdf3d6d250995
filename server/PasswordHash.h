#pragma once
// argon2id (libsodium) of the digest a client sends in place of its password. The stored string
// carries its own random salt and limits, so a verify needs nothing else. Both calls are slow on
// purpose: the worker pool runs them, never the io thread.

#include "ServerOptions.h"

#include <optional>
#include <string>

// Once, before any thread uses libsodium. False when the library cannot start.
bool startPasswordHashing();

// The storable hash, or nothing when libsodium could not allocate its memory.
std::optional<std::string> hashSecret(const std::string& digest, HashCost cost);

bool verifySecret(const std::string& stored, const std::string& digest);
