#pragma once
// Shared by the engine, scene and start-up tests: a temporary folder, and small PNG pictures
// written into it (the tests make their own images).

#include "../support/Support.h"
#include "cocos2d.h"

#include <string>

// A w x h picture of one colour; returns its full path.
std::string writePng(const TempDir& dir, const std::string& name, int w, int h,
                     const cocos2d::Color4B& colour);
