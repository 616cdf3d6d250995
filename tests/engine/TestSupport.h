#pragma once
// Shared by the engine tests: a temporary folder that removes itself, and small PNG pictures
// written into it (the tests make their own images).

#include "cocos2d.h"

#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A w x h picture of one colour; returns its full path.
std::string writePng(const TempDir& dir, const std::string& name, int w, int h,
                     const cocos2d::Color4B& colour);
