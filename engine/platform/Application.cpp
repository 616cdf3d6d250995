#include "platform/Application.h"

#include "base/Director.h"
#include "base/Log.h"
#include "platform/GLView.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace cocos2d {

namespace {
Application* s_application = nullptr;
// While the animation is stopped the loop only waits for the window to come back.
constexpr double kStoppedPollSeconds = 0.05;
// A longer gap (a debugger stop, a suspended machine) is not replayed as one huge step.
constexpr double kLongestStep = 0.25;
} // namespace

Application::Application() {
    s_application = this;
}

Application::~Application() {
    if (s_application == this) {
        s_application = nullptr;
    }
}

Application* Application::getInstance() {
    return s_application;
}

int Application::run() {
    using Clock = std::chrono::steady_clock;
    initGLContextAttrs();
    if (!applicationDidFinishLaunching()) {
        if (Director* d = Director::getInstanceIfExists()) {
            d->purgeDirector();
        }
        return 1;
    }
    if (!Director::getInstance()->getOpenGLView()) {
        engineLog("no view after launching: nothing to run");
        Director::getInstance()->purgeDirector();
        return 1;
    }
    auto last = Clock::now();
    auto next = last;
    while (Director* director = Director::getInstanceIfExists()) {
        GLView* view = director->getOpenGLView();
        if (view) {
            view->pollEvents();
        }
        if (!view || view->windowShouldClose()) {
            director->end();
        }
        const auto now = Clock::now();
        const double dt = std::min(kLongestStep, std::chrono::duration<double>(now - last).count());
        last = now;
        const bool stopped = director->isAnimationStopped();
        const double interval =
            stopped ? kStoppedPollSeconds : static_cast<double>(director->getAnimationInterval());
        director->mainLoop(static_cast<float>(dt)); // purges the director when it ends
        next +=
            std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(interval));
        const auto after = Clock::now();
        if (next < after) {
            next = after; // late: do not try to catch up with a burst of frames
        }
        std::this_thread::sleep_until(next);
    }
    return 0;
}

} // namespace cocos2d
