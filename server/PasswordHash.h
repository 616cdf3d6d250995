#pragma once
// argon2id (libsodium) of the digest a client sends in place of its password. The stored string
// carries its own random salt and limits, so a verify needs nothing else. Both calls are slow on
// purpose: Accounts runs them on the hashing pool, never on the io thread.

#include <optional>
#include <string>

enum class HashCost {
    Interactive, // libsodium's interactive limits: what a real server uses
    Minimum,     // libsodium's minimum limits: for tests and load runs only
};

// Once, before any thread uses libsodium. False when the library cannot start.
bool startPasswordHashing();

// The storable hash, or nothing when libsodium could not allocate its memory.
std::optional<std::string> hashSecret(const std::string& digest, HashCost cost);

bool verifySecret(const std::string& stored, const std::string& digest);
