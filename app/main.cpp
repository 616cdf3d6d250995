// The game's entry point. The one director of the game is built once the command line is read
// and lives until the process ends; AppDelegate's destructor has stopped its network thread by
// then.

#include "AppDelegate.h"
#include "CommandLine.h"
#include "GBDirector.h"

#include <cstdio>

int main(int argc, char** argv) {
    GameOptions options;
    std::string error;
    if (!parseGameOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "koralith: %s\n%s", error.c_str(), gameUsage());
        return 2;
    }
    if (options.help) {
        std::fputs(gameUsage(), stdout);
        return 0;
    }
    // The diary goes to the working folder; the launchers (make play, the desktop entry) start
    // the game in the user's data folder, so that it litters no other.
    // Static, as the global it replaces was: it outlives the engine's objects at exit.
    static GBDirector director(options.host, options.port, "netlog");
    AppDelegate app;
    return cocos2d::Application::getInstance()->run();
}
