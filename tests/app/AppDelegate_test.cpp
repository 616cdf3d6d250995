// Start-up as the entry point runs it, on a headless view standing for the platform's own.

#include "AppDelegate.h"
#include "GBDirector.h"
#include "HelloWorld.h"
#include "Support.h"
#include "harness/EngineHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

USING_NS_CC;

namespace {

// The installed game finds its pictures and text table from its own folder in any prefix: "res"
// beside the executable (a build tree) first, then prefix/share/koralith/res from prefix/bin.
TEST(StartUp, AViewIsKeptAndResComesFromBesideTheExecutableThenFromTheSharedFolder) {
    TempDir dir;
    UserDefault::setStorageDirectory(dir.path());
    const std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path()); // nothing found through the working folder
    const std::string beside = dir.file("bin/res"), shared = dir.file("share/koralith/res");
    const struct {
        std::vector<std::string> folders; // each gets images/danjigame.png and text.xml
        std::string expected;
    } cases[] = {{{shared}, shared}, {{beside, shared}, beside}};
    for (const auto& c : cases) {
        std::filesystem::remove_all(dir.file("bin"));
        std::filesystem::remove_all(dir.file("share"));
        std::filesystem::create_directories(dir.file("bin"));
        for (const std::string& folder : c.folders) {
            std::filesystem::create_directories(folder + "/images");
            std::ofstream(folder + "/images/danjigame.png") << "a picture";
            std::ofstream(folder + "/text.xml") << "<plist><dict><key>neterror</key><string>"
                                                << folder << "</string></dict></plist>";
        }
        SCOPED_TRACE(c.expected);
        FileUtils::getInstance()->setExecutableFolder(dir.file("bin/"));
        GBDirector director("127.0.0.1", 9, dir.file("netlog").c_str());
        {
            EngineHarness h(Size(400, 708));
            AppDelegate app;
            ASSERT_TRUE(app.applicationDidFinishLaunching());
            const std::string found =
                FileUtils::getInstance()->fullPathForFilename("images/danjigame.png");
            ASSERT_FALSE(found.empty());
            EXPECT_TRUE(std::filesystem::equivalent(found, c.expected + "/images/danjigame.png"))
                << found;
            EXPECT_EQ(director.getText("neterror"), c.expected);

            // The view there already is kept and gets the design size, the menu and the director.
            EXPECT_EQ(h.director()->getOpenGLView(), h.view());
            EXPECT_EQ(h.view()->getFrameSize(), Size(400, 708));
            const Size design = h.view()->getDesignResolutionSize();
            EXPECT_EQ(design.width, 576);
            EXPECT_NEAR(design.height, 1019.52, 1e-3);
            EXPECT_FLOAT_EQ(h.director()->getAnimationInterval(), 1.0f / 60);
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
    FileUtils::getInstance()->setExecutableFolder(
        std::filesystem::canonical("/proc/self/exe").parent_path().string() + "/");
    std::filesystem::current_path(cwd);
}

} // namespace
