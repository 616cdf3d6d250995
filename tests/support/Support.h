#pragma once
// What every test folder shares: time limits scaled for the sanitizer trees, a bounded wait for
// a condition, a temporary folder that removes itself, and a file's text.

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

#ifndef KORALITH_TIME_SCALE // set by the support target for the sanitizers, which run slower
#define KORALITH_TIME_SCALE 1
#endif

using Clock = std::chrono::steady_clock;

constexpr int scaled(int ms) {
    return ms * KORALITH_TIME_SCALE;
}
constexpr int kPatienceMs = scaled(2000); // how long to wait for what should happen at once

inline long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Asks `done` every `pollMs` until it holds (true) or `ms` have passed (false).
template <class Condition>
bool eventually(Condition done, int ms = kPatienceMs, int pollMs = 1) {
    const auto start = Clock::now();
    for (int i = 0; !done(); i += pollMs) {
        if (i >= ms || msSince(start) >= ms) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
    }
    return true;
}

class TempDir {
public:
    TempDir() {
        std::string pattern = std::filesystem::temp_directory_path() / "koralith-test-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            throw std::runtime_error("mkdtemp failed");
        }
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// The whole content of a file; empty when it cannot be read.
inline std::string fileText(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// How often `text` stands in `in`, overlaps included.
inline size_t occurrences(const std::string& in, const std::string& text) {
    size_t n = 0;
    for (size_t at = in.find(text); at != std::string::npos; at = in.find(text, at + 1)) {
        ++n;
    }
    return n;
}
