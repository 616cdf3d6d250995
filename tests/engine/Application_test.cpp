#include "harness/EngineHarness.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <vector>

USING_NS_CC;

namespace {
void push(Uint32 type, Uint8 windowEvent = 0) {
    SDL_Event e{};
    e.type = type;
    e.window.event = windowEvent;
    SDL_PushEvent(&e);
}

// Runs a headless scene in the real main loop. A callback that runs every frame minimises the
// window at the third frame (the application stops the animation and restores it at once) and
// ends the run at the eighth: by the director's end, or as a closed window does.
struct TestApp : Application {
    explicit TestApp(bool closeWindow) : closeWindow(closeWindow) {}
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
                    push(SDL_WINDOWEVENT, SDL_WINDOWEVENT_MINIMIZED);
                } else if (steps.size() == 8 && closeWindow) {
                    push(SDL_QUIT);
                } else if (steps.size() == 8) {
                    Director::getInstance()->end();
                }
            },
            0, CC_REPEAT_FOREVER, 0, "count");
        return true;
    }
    void applicationDidEnterBackground() override {
        framesAtBackground = steps.size();
        Director::getInstance()->stopAnimation();
        push(SDL_WINDOWEVENT, SDL_WINDOWEVENT_RESTORED);
    }
    void applicationWillEnterForeground() override {
        framesAtForeground = steps.size();
        Director::getInstance()->startAnimation();
    }
    const bool closeWindow;
    std::vector<float> steps; // the step each frame's callback received
    size_t framesAtBackground = 0, framesAtForeground = 0;
};
} // namespace

TEST(ApplicationTest, RunCallsBackgroundAndForegroundAndReturnsAtTheEnd) {
    for (const bool closeWindow : {false, true}) {
        SCOPED_TRACE(closeWindow ? "window closed" : "director ended");
        TestApp app(closeWindow);
        EXPECT_EQ(Application::getInstance()->run(), 0);
        EXPECT_EQ(Director::getInstanceIfExists(), nullptr);
        ASSERT_EQ(app.steps.size(), 8u); // no frame runs after the end
        EXPECT_EQ(app.framesAtBackground, 3u);
        EXPECT_EQ(app.framesAtForeground, 3u); // nothing ran while stopped
        EXPECT_EQ(app.steps[3], 0.0f);         // the time spent stopped is not a frame step
    }
}

// An idle scene runs a frame only when a callback is due: the first frame, then one for each
// of three calls 0.1 s apart, where frames at the animation interval would be nineteen.
TEST(ApplicationTest, AnIdleLoopRunsAFrameOnlyWhenACallbackIsDue) {
    struct IdleApp : Application {
        bool applicationDidFinishLaunching() override {
            Director* director = Director::getInstance();
            director->setOpenGLView(GLView::createHeadless(Size(100, 100)));
            auto* scene = Scene::create();
            director->runWithScene(scene);
            scene->schedule(
                [this](float) {
                    frames.push_back(Director::getInstance()->getTotalFrames());
                    if (frames.size() == 3) {
                        Director::getInstance()->end();
                    }
                },
                0.1f, 2, 0.1f, "tick");
            return true;
        }
        void applicationDidEnterBackground() override {}
        void applicationWillEnterForeground() override {}
        std::vector<unsigned int> frames; // the frame each call ran in
    } app;
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(app.frames, (std::vector<unsigned int>{2, 3, 4}));
}
