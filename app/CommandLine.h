#pragma once
// The game's command line: `koralith [--server HOST:PORT] [--help]`. Without --server the game
// plays on the server built into it.

#include <cstdint>
#include <string>

struct GameOptions {
    std::string host;
    uint16_t port = 0;
    bool help = false;
};

// The built-in server and no help, then argv read over it. False, with `error` a message for
// the player, on an unknown option or a bad address.
bool parseGameOptions(int argc, char** argv, GameOptions& out, std::string& error);

const char* gameUsage();
