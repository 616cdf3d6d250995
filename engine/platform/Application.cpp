#include "platform/Application.h"

#include "base/Director.h"
#include "base/Log.h"
#include "platform/GLView.h"

#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace cocos2d {

namespace {
using Clock = std::chrono::steady_clock;

Application* s_application = nullptr;
// A longer gap (a debugger stop, a suspended machine) is not replayed as one huge step.
constexpr double kLongestStep = 0.25;
// However long nothing is due, the loop looks up now and then: a quit asked for by a signal
// waits for the next wake-up.
constexpr double kLongestWait = 1.0;

double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

// Waits up to `seconds` for input; true if some arrived.
bool waitForInput(GLView* view, double seconds) {
    const int ms = static_cast<int>(std::ceil(seconds * 1000));
    if (view && !view->isHeadless()) {
        return SDL_WaitEventTimeout(nullptr, ms) == 1;
    }
    // Off screen, input only comes from the program itself, and SDL would look for it every
    // millisecond of the wait.
    if (!SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    return SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}
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
    double longestStep = kLongestStep;
    // One frame of the time since the last; false once the director is gone.
    auto frame = [&] {
        const double dt = std::min(longestStep, secondsSince(last));
        last = Clock::now();
        longestStep = kLongestStep;
        Director::getInstance()->mainLoop(static_cast<float>(dt)); // purges it when it ends
        return Director::getInstanceIfExists() != nullptr;
    };
    // A wait that ended with no input has just looked for it: looking again would only ask
    // the display server once more, a good part of what an idle wake-up costs.
    bool lookForInput = true;
    while (Director* director = Director::getInstanceIfExists()) {
        GLView* view = director->getOpenGLView();
        if (view && lookForInput) {
            view->pollEvents();
        }
        if (!view || view->windowShouldClose()) {
            director->end();
        }
        if (!frame()) {
            break;
        }
        const double idle = director->getIdleWait();
        if (idle <= 0 || lookForInput) {
            // Frames at the animation interval while something animates, and while input may
            // be streaming in (a mouse moving over the window).
            next += std::chrono::duration_cast<Clock::duration>(
                std::chrono::duration<double>(director->getAnimationInterval()));
            const auto now = Clock::now();
            if (next < now) {
                next = now; // late: do not try to catch up with a burst of frames
            }
            std::this_thread::sleep_until(next);
        }
        if (idle <= 0) {
            lookForInput = true;
            continue;
        }
        // Nothing animates: no frame until input arrives or the next callback is due.
        const double quiet = std::min(idle, kLongestWait);
        longestStep = kLongestStep + quiet;
        const double left = quiet - secondsSince(last);
        lookForInput = left <= 0 || waitForInput(view, left);
        // The time waited passes before the input is taken, as it did in the frames the wait
        // replaced: an action or a callback that the input starts does not count it.
        if (left > 0 && lookForInput && !frame()) {
            break;
        }
        next = Clock::now();
    }
    return 0;
}

} // namespace cocos2d
