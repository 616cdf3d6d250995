#include "TestSupport.h"

#include <filesystem>
#include <fstream>

USING_NS_CC;

TEST(FileUtilsTest, SearchPathsResolveAgainstTheExecutableFolderThenTheWorkingFolder) {
    TempDir dir;
    FileUtils* files = FileUtils::getInstance();
    const std::vector<std::string> saved = files->getSearchPaths();
    const std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    std::filesystem::create_directories(dir.file("res/images"));
    std::ofstream(dir.file("res/images/a.png")) << "x";
    files->addSearchPath("res");
    EXPECT_EQ(files->fullPathForFilename("images/a.png"), dir.file("res/images/a.png"));
    EXPECT_EQ(files->fullPathForFilename("images/missing.png"), "");
    files->setSearchPaths({""});
    std::ofstream(dir.file("koralith_engine_tests")) << "a file named like the test program";
    EXPECT_EQ(files->fullPathForFilename("koralith_engine_tests"),
              std::filesystem::canonical("/proc/self/exe").string());
    files->setSearchPaths(saved);
    std::filesystem::current_path(cwd);
}
