#include "AppDelegate.h"

#include "GBDirector.h"
#include "HelloWorld.h"
#include "audio/AudioEngine.h"

#include <cstdio>

USING_NS_CC;

namespace {
const char* const kTitle = "Koralith";
const Rect kWindow(0, 0, 400, 708);
constexpr float kDesignWidth = 576;
} // namespace

AppDelegate::~AppDelegate() {
    if (GBDirector* director = GBDirector::getInstance()) {
        director->stop();
    }
    experimental::AudioEngine::end();
}

void AppDelegate::initGLContextAttrs() {
    GLContextAttrs attrs{8, 8, 8, 8, 24, 8};
    GLView::setGLContextAttrs(attrs);
}

bool AppDelegate::applicationDidFinishLaunching() {
    Director* director = Director::getInstance();
    if (!director->getOpenGLView()) {
        director->setOpenGLView(GLViewImpl::createWithRect(kTitle, kWindow, 1.0f));
    }
    GLView* view = director->getOpenGLView();
    if (!view) {
        std::fprintf(stderr, "Koralith cannot open its window: no display, or no video driver that "
                             "works here. Run it on a desktop, or under xvfb-run.\n");
        return false;
    }
    const Size frame = view->getFrameSize();
    const float height =
        static_cast<float>(static_cast<double>(frame.height / frame.width) * kDesignWidth);
    view->setDesignResolutionSize(kDesignWidth, height, ResolutionPolicy::SHOW_ALL);
    director->setDisplayStats(false);
    director->setAnimationInterval(1.0f / 60);
    // Beside the executable in a build tree; in an installed tree, prefix/bin's sibling
    // prefix/share, wherever the prefix is.
    FileUtils::getInstance()->addSearchPath("res");
    FileUtils::getInstance()->addSearchPath("../share/koralith/res");
    view->setIcon("icon/koralith.png"); // a window without it only looks plainer
    GBDirector::getInstance()->start();

    auto* scene = Scene::create();
    scene->addChild(HelloWorld::create());
    director->runWithScene(scene);
    return true;
}

void AppDelegate::applicationDidEnterBackground() {
    Director::getInstance()->stopAnimation();
}

void AppDelegate::applicationWillEnterForeground() {
    Director::getInstance()->startAnimation();
}
