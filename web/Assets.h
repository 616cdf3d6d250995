#pragma once
// The stylesheet, the replay script and the icon, built into the program from web/static/ so
// that it serves the same files wherever it is installed.

#include <string>

struct Asset {
    const char* type; // Content-Type
    const std::string& body;
};

// Nothing for a path that is not one of them ("/static/style.css", ...).
const Asset* findAsset(const std::string& path);
