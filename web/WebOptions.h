#pragma once
// The command line of koralith-web.

#include <string>

struct WebOptions {
    std::string listenHost = "127.0.0.1";
    unsigned short listenPort = 8080;
    std::string databasePath = "koralith.db";
    bool help = false;
};

// Parses argv; on a bad option returns false with `error` set to a message for the user.
bool parseWebOptions(int argc, char** argv, WebOptions& out, std::string& error);

const char* webUsage();
