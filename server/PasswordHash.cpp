#include "PasswordHash.h"

#include <sodium.h>

bool startPasswordHashing() {
    return sodium_init() >= 0;
}

std::optional<std::string> hashSecret(const std::string& digest, HashCost cost) {
    const bool minimum = cost == HashCost::Minimum;
    const unsigned long long ops =
        minimum ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE;
    const size_t memory = minimum ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE;
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(out, digest.data(), digest.size(), ops, memory,
                              crypto_pwhash_ALG_ARGON2ID13) != 0) {
        return std::nullopt;
    }
    return std::string(out);
}

bool verifySecret(const std::string& stored, const std::string& digest) {
    return crypto_pwhash_str_verify(stored.c_str(), digest.data(), digest.size()) == 0;
}
