// Start-up as the entry point runs it, on a headless view standing for the platform's own, and
// the game executable when no window can be opened.

#include "../engine/TestSupport.h"
#include "AppDelegate.h"
#include "GBDirector.h"
#include "HelloWorld.h"
#include "harness/EngineHarness.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

USING_NS_CC;

namespace {

TEST(StartUp, AViewThereAlreadyIsKeptAndGetsTheDesignSizeTheMenuAndTheDirector) {
    TempDir dir;
    UserDefault::setStorageDirectory(dir.path());
    GBDirector director("127.0.0.1", 9, dir.file("netlog").c_str());
    EngineHarness h(Size(400, 708));
    {
        AppDelegate app;
        ASSERT_TRUE(app.applicationDidFinishLaunching());
        EXPECT_EQ(h.director()->getOpenGLView(), h.view());
        EXPECT_EQ(h.view()->getFrameSize(), Size(400, 708));
        const Size design = h.view()->getDesignResolutionSize();
        EXPECT_EQ(design.width, 576);
        EXPECT_NEAR(design.height, 1019.52, 1e-3);
        EXPECT_FLOAT_EQ(h.director()->getAnimationInterval(), 1.0f / 60);
        // "res" beside the executable: the menu's pictures load.
        EXPECT_TRUE(FileUtils::getInstance()->isFileExist("images/danjigame.png"));
        h.frame();
        Scene* scene = h.director()->getRunningScene();
        ASSERT_NE(scene, nullptr);
        EXPECT_NE(dynamic_cast<HelloWorld*>(scene->getChildren().front()), nullptr);
        EXPECT_TRUE(h.director()->getScheduler()->isScheduled("fff", &director));

        app.applicationDidEnterBackground();
        EXPECT_TRUE(h.director()->isAnimationStopped());
        app.applicationWillEnterForeground();
        EXPECT_FALSE(h.director()->isAnimationStopped());
    } // the delegate's end stops the network thread
    FileUtils::getInstance()->setSearchPaths({""});
}

// Runs the game with `videoDriver` in a scratch folder until it exits (15 s at most).
int runGame(const TempDir& dir, const char* videoDriver, std::string& errors) {
    const std::string errFile = dir.file("stderr.txt");
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.path().c_str()) != 0 || !freopen(errFile.c_str(), "w", stderr)) {
            _exit(126);
        }
        setenv("SDL_VIDEODRIVER", videoDriver, 1);
        setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
        execl(KORALITH_GAME, KORALITH_GAME, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::ifstream in(errFile);
    std::stringstream text;
    text << in.rdbuf();
    errors = text.str();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(StartUp, NoWindowMeansAClearMessageAndAFailureStatusNotACrash) {
    TempDir dir;
    std::string errors;
    const int code = runGame(dir, "no-such-driver", errors);
    EXPECT_GT(code, 0);
    EXPECT_NE(errors.find("Koralith cannot open its window"), std::string::npos) << errors;
}

} // namespace
