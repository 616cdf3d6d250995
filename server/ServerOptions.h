#pragma once
// The command line of koralith-server.

#include "PasswordHash.h"

#include <string>

struct ServerOptions {
    std::string listenHost = "127.0.0.1";
    unsigned short listenPort = 8886;
    std::string databasePath = "koralith.db";
    std::string notice; // empty: no notice is offered
    int moveSeconds = 60;
    int idleSeconds = 60; // before login
    int connectionsPerAddress = 64;
    HashCost hashCost = HashCost::Interactive;
    std::string exportFolder; // set: write the finished games there as SGF files instead of serving
    bool help = false;
};

// Parses argv; on a bad option returns false with `error` set to a message for the user.
bool parseServerOptions(int argc, char** argv, ServerOptions& out, std::string& error);

const char* serverUsage();

// "HOST:PORT", with "[v6]:PORT" for IPv6 addresses, a port from 0 to 65535 written in digits;
// false, with `host` and `port` as they were, for anything else. The web face's too.
bool parseListenAddress(const std::string& text, std::string& host, unsigned short& port);
