#pragma once
// The application object: the program derives its delegate from it and calls run(), which
// opens the application (applicationDidFinishLaunching), runs the main loop on the calling
// thread until Director::end or the window is closed, and returns the exit status. While
// something animates, frames are paced at the director's animation interval by sleeping; when
// nothing does, the loop sleeps until input arrives or the next scheduled callback is due.

namespace cocos2d {

class Application {
public:
    Application();
    virtual ~Application();
    // The one application object, or null.
    static Application* getInstance();

    int run();

    virtual bool applicationDidFinishLaunching() = 0;
    // The window was minimised, and restored.
    virtual void applicationDidEnterBackground() = 0;
    virtual void applicationWillEnterForeground() = 0;
    // Called before the window is made, to set GLView::setGLContextAttrs.
    virtual void initGLContextAttrs() {}

private:
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
};

} // namespace cocos2d
