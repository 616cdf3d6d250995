#include "CLMD5.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};
constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

uint32_t rotl(uint32_t v, int s) {
    return (v << s) | (v >> (32 - s));
}

uint32_t loadLE(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void storeLE(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = uint8_t(v >> (8 * i));
    }
}

} // namespace

void CLMD5::reset() {
    finalized = false;
    std::memset(buffer, 0, sizeof buffer);
    bitCount[0] = bitCount[1] = 0;
    state[0] = 0x67452301;
    state[1] = 0xefcdab89;
    state[2] = 0x98badcfe;
    state[3] = 0x10325476;
    std::memset(digest, 0, sizeof digest);
}

void CLMD5::transform(const uint8_t block[64]) {
    uint32_t m[16];
    for (int i = 0; i < 16; ++i) {
        m[i] = loadLE(block + 4 * i);
    }
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (int i = 0; i < 64; ++i) {
        const int round = i / 16;
        uint32_t f;
        int g;
        switch (round) {
        case 0:
            f = (b & c) | (~b & d);
            g = i;
            break;
        case 1:
            f = (d & b) | (~d & c);
            g = (5 * i + 1) % 16;
            break;
        case 2:
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
            break;
        default:
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
            break;
        }
        const uint32_t next = b + rotl(a + f + kSine[i] + m[g], kShift[round][i % 4]);
        a = d;
        d = c;
        c = b;
        b = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

void CLMD5::update(const void* data, size_t length) {
    if (finalized) {
        return;
    }
    const auto* in = static_cast<const uint8_t*>(data);
    size_t used = (bitCount[0] >> 3) & 63;
    const uint64_t bits = (uint64_t(bitCount[1]) << 32 | bitCount[0]) + uint64_t(length) * 8;
    bitCount[0] = uint32_t(bits);
    bitCount[1] = uint32_t(bits >> 32);
    while (length > 0) {
        const size_t take = length < 64 - used ? length : 64 - used;
        std::memcpy(buffer + used, in, take);
        used += take;
        in += take;
        length -= take;
        if (used == 64) {
            transform(buffer);
            used = 0;
        }
    }
}

void CLMD5::finalize() {
    if (finalized) {
        return;
    }
    uint8_t length[8];
    storeLE(length, bitCount[0]);
    storeLE(length + 4, bitCount[1]);
    const size_t used = (bitCount[0] >> 3) & 63;
    static const uint8_t kPadding[64] = {0x80};
    update(kPadding, used < 56 ? 56 - used : 120 - used);
    update(length, 8);
    for (int i = 0; i < 4; ++i) {
        storeLE(digest + 4 * i, state[i]);
    }
    finalized = true;
}

std::string CLMD5::hexDigest() const {
    if (!finalized) {
        return {};
    }
    char text[33];
    for (int i = 0; i < 16; ++i) {
        std::snprintf(text + 2 * i, 3, "%02x", digest[i]);
    }
    return std::string(text, 32);
}

std::string md5Hex(const char* text) {
    CLMD5 md5;
    if (text != nullptr) {
        md5.update(text, std::strlen(text));
    }
    md5.finalize();
    return md5.hexDigest();
}
