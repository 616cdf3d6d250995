#pragma once
// The command line of koralith-server.

#include <string>

enum class HashCost {
    Interactive, // libsodium's interactive limits: what a real server uses
    Minimum,     // libsodium's minimum limits: for tests and load runs only
};

struct ServerOptions {
    std::string listenHost = "127.0.0.1";
    unsigned short listenPort = 8886;
    std::string databasePath = "koralith.db";
    std::string notice; // empty: no notice is offered
    int moveSeconds = 60;
    HashCost hashCost = HashCost::Interactive;
    bool help = false;
};

// Parses argv; on a bad option returns false with `error` set to a message for the user.
bool parseServerOptions(int argc, char** argv, ServerOptions& out, std::string& error);

const char* serverUsage();
