// The game's entry point. The one director of the game is built before main runs and lives
// until the process ends; AppDelegate's destructor has stopped its network thread by then.

#include "AppDelegate.h"
#include "GBDirector.h"

namespace {
GBDirector gameDirector;
}

int main() {
    AppDelegate app;
    return cocos2d::Application::getInstance()->run();
}
