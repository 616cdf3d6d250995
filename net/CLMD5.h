#pragma once
// The MD5 digest (RFC 1321) that the login and registration requests carry in place of the
// password, as 32 lowercase hexadecimal characters. Plain computation: no state is shared, any
// thread may use its own context.

#include <cstddef>
#include <cstdint>
#include <string>

class CLMD5 {
public:
    CLMD5() { reset(); }

    void reset();
    // Any number of calls, with any byte counts; ignored once finalized.
    void update(const void* data, size_t length);
    // Padding and length as MD5 prescribes; a second call does nothing.
    void finalize();
    // The digest as 32 lowercase hex characters; empty until finalize() has run.
    std::string hexDigest() const;

private:
    void transform(const uint8_t block[64]);

    bool finalized = false;
    uint8_t buffer[64] = {};
    uint32_t bitCount[2] = {}; // message length in bits, low word first
    uint32_t state[4] = {};
    uint8_t digest[16] = {};
};

// The digest of the bytes of `text` up to its NUL, exactly as they are.
std::string md5Hex(const char* text);
