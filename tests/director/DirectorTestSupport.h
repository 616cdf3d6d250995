#pragma once
// What the director tests share: a scratch folder that removes itself, time limits that grow
// under the sanitizers, and a one-line picture of what a listener received.

#include "CLDataBuffer.h"
#include "ResponseDataPack.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KORALITH_TEST_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KORALITH_TEST_SANITIZED 1
#endif
#endif

#ifdef KORALITH_TEST_SANITIZED
constexpr int kSlowdown = 5;
#else
constexpr int kSlowdown = 1;
#endif

inline std::chrono::milliseconds scaled(int ms) {
    return std::chrono::milliseconds(ms * kSlowdown);
}

class ScratchDir {
public:
    ScratchDir() {
        char name[] = "/tmp/koralith_director_XXXXXX";
        path = mkdtemp(name);
    }
    ~ScratchDir() { std::filesystem::remove_all(path); }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string logPrefix() const { return path + "/netlog"; }

    std::string path;
};

// "[1,'ann']" for the fields in order, "null" without a buffer.
inline std::string show(const CLDataBuffer* buffer) {
    if (buffer == nullptr) {
        return "null";
    }
    std::string out = "[";
    for (size_t i = 0; i < buffer->fieldCount(); ++i) {
        out += i ? "," : "";
        if (auto n = buffer->intAt(i)) {
            out += std::to_string(*n);
        } else if (auto s = buffer->stringAt(i)) {
            out += "'" + *s + "'";
        } else {
            out += "?";
        }
    }
    return out + "]";
}

// "code/status request context response", e.g. "1/0 ['ann'] ['pw'] [1,22]".
inline std::string describe(const ResponseDataPack& pack) {
    return std::to_string(pack.code) + "/" + std::to_string(pack.status) + " " +
           show(pack.request) + " " + show(pack.context) + " " + show(pack.response);
}
