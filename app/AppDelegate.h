#pragma once
// The application object: opens the 400 x 708 window titled "Koralith", fixes the design
// resolution (576 wide, the height following the window's shape), 60 frames a second and the
// search paths ("res", then "../share/koralith/res", both from the executable's folder), starts
// the game's director and shows the main menu. Its destructor stops the director's network
// thread, after the engine's main loop has returned. Main thread only.

#include "cocos2d.h"

class AppDelegate : private cocos2d::Application {
public:
    AppDelegate() = default;
    ~AppDelegate() override;

    void initGLContextAttrs() override;
    // False, after a message on standard error, only when no window can be opened: there is
    // nothing to play in, and the process ends with a failure status.
    bool applicationDidFinishLaunching() override;
    void applicationDidEnterBackground() override;
    void applicationWillEnterForeground() override;
};
