#include "harness/EngineHarness.h"

#include <SDL.h>
#include <chrono>
#include <gtest/gtest.h>

USING_NS_CC;

namespace {
void pushWindowEvent(Uint8 what) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = what;
    SDL_PushEvent(&e);
}

// Runs a headless scene in the real main loop: minimised and restored once, then ended.
class TestApp : public Application {
public:
    bool applicationDidFinishLaunching() override {
        Director* director = Director::getInstance();
        director->setOpenGLView(GLView::createHeadless(Size(100, 100)));
        director->setAnimationInterval(1.0f / 60);
        auto* scene = Scene::create();
        director->runWithScene(scene);
        scene->schedule([this](float) { ++frames; }, 0, CC_REPEAT_FOREVER, 0, "count");
        scene->schedule([](float) { pushWindowEvent(SDL_WINDOWEVENT_MINIMIZED); }, 0, 0, 0.1f,
                        "minimise");
        scene->schedule([](float) { Director::getInstance()->end(); }, 0, 0, 0.3f, "end");
        return true;
    }
    void applicationDidEnterBackground() override {
        ++backgrounds;
        Director::getInstance()->stopAnimation();
        pushWindowEvent(SDL_WINDOWEVENT_RESTORED);
    }
    void applicationWillEnterForeground() override {
        ++foregrounds;
        Director::getInstance()->startAnimation();
    }
    int frames = 0;
    int backgrounds = 0;
    int foregrounds = 0;
};

class ClosingApp : public Application {
public:
    bool applicationDidFinishLaunching() override {
        Director::getInstance()->setOpenGLView(GLView::createHeadless(Size(50, 50)));
        Director::getInstance()->runWithScene(Scene::create());
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
        return true;
    }
    void applicationDidEnterBackground() override {}
    void applicationWillEnterForeground() override {}
};
} // namespace

TEST(ApplicationTest, RunPacesFramesCallsBackgroundAndForegroundAndReturnsAtTheEnd) {
    TestApp app;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Application::getInstance()->run(), 0);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(Director::getInstanceIfExists(), nullptr);
    EXPECT_EQ(app.backgrounds, 1);
    EXPECT_EQ(app.foregrounds, 1);
    // Sleeping between frames: never more frames than the interval allows in the time taken.
    EXPECT_GE(app.frames, 10);
    EXPECT_LE(app.frames, static_cast<int>(seconds * 60) + 3);
}

TEST(ApplicationTest, ClosingTheWindowEndsTheRun) {
    ClosingApp app;
    EXPECT_EQ(Application::getInstance()->run(), 0);
    EXPECT_EQ(Director::getInstanceIfExists(), nullptr);
}
