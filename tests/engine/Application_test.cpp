#include "harness/EngineHarness.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <vector>

USING_NS_CC;

namespace {
void pushWindowEvent(Uint8 what) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = what;
    SDL_PushEvent(&e);
}

// Runs a headless scene in the real main loop. A callback that runs every frame minimises the
// window at the third frame (the application stops the animation and restores it at once) and
// ends the director at the eighth.
class TestApp : public Application {
public:
    static constexpr size_t kFrames = 8;
    bool applicationDidFinishLaunching() override {
        Director* director = Director::getInstance();
        director->setOpenGLView(GLView::createHeadless(Size(100, 100)));
        director->setAnimationInterval(1.0f / 60);
        auto* scene = Scene::create();
        director->runWithScene(scene);
        scene->schedule(
            [this](float dt) {
                steps.push_back(dt);
                if (steps.size() == 3) {
                    pushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
                }
                if (steps.size() == kFrames) {
                    Director::getInstance()->end();
                }
            },
            0, CC_REPEAT_FOREVER, 0, "count");
        return true;
    }
    void applicationDidEnterBackground() override {
        ++backgrounds;
        framesAtBackground = steps.size();
        Director::getInstance()->stopAnimation();
        pushWindowEvent(SDL_WINDOWEVENT_RESTORED);
    }
    void applicationWillEnterForeground() override {
        ++foregrounds;
        framesAtForeground = steps.size();
        Director::getInstance()->startAnimation();
    }
    std::vector<float> steps; // the step each frame's callback received
    int backgrounds = 0;
    int foregrounds = 0;
    size_t framesAtBackground = 0;
    size_t framesAtForeground = 0;
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

TEST(ApplicationTest, RunCallsBackgroundAndForegroundAndReturnsAtTheEnd) {
    TestApp app;
    EXPECT_EQ(Application::getInstance()->run(), 0);
    EXPECT_EQ(Director::getInstanceIfExists(), nullptr);
    EXPECT_EQ(app.steps.size(), TestApp::kFrames); // no frame runs after the end
    EXPECT_EQ(app.backgrounds, 1);
    EXPECT_EQ(app.foregrounds, 1);
    EXPECT_EQ(app.framesAtBackground, 3u);
    EXPECT_EQ(app.framesAtForeground, 3u); // nothing ran while stopped
    ASSERT_EQ(app.steps.size(), TestApp::kFrames);
    EXPECT_EQ(app.steps[3], 0.0f); // the time spent stopped is not a frame step
}

TEST(ApplicationTest, ClosingTheWindowEndsTheRun) {
    ClosingApp app;
    EXPECT_EQ(Application::getInstance()->run(), 0);
    EXPECT_EQ(Director::getInstanceIfExists(), nullptr);
}
