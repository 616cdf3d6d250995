#include "TestSupport.h"
#include "harness/EngineHarness.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

USING_NS_CC;

namespace {
void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}
} // namespace

TEST(UserDefaultTest, ValuesAreStoredAtOnceForTheUserAloneOverAnUnreadableStore) {
    TempDir dir;
    writeText(dir.file("UserDefault.xml"), "<userDefaultRoot><entry key=");
    ::chmod(dir.file("UserDefault.xml").c_str(), 0644);
    UserDefault::setStorageDirectory(dir.path());
    UserDefault* store = UserDefault::getInstance();
    EXPECT_EQ(store->getIntegerForKey("score", 50), 50);
    store->setIntegerForKey("score", -4);
    store->setStringForKey("username", "Jörg <&> \"x\"");
    store->setStringForKey("password", "");
    struct stat st {};
    ASSERT_EQ(::stat(store->getFilePath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    UserDefault::setStorageDirectory(dir.path()); // a fresh load of what is on disk
    store = UserDefault::getInstance();
    EXPECT_EQ(store->getIntegerForKey("score", 50), -4);
    EXPECT_EQ(store->getStringForKey("username", "?"), "Jörg <&> \"x\"");
    EXPECT_EQ(store->getStringForKey("password", "?"), "");
}

TEST(FileUtilsTest, SearchPathsResolveAgainstTheExecutableFolderThenTheWorkingFolder) {
    TempDir dir;
    FileUtils* files = FileUtils::getInstance();
    const std::vector<std::string> saved = files->getSearchPaths();
    const std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    std::filesystem::create_directories(dir.file("res/images"));
    writeText(dir.file("res/images/a.png"), "x");
    files->addSearchPath("res");
    EXPECT_EQ(files->fullPathForFilename("images/a.png"), dir.file("res/images/a.png"));
    EXPECT_EQ(files->fullPathForFilename("images/missing.png"), "");
    files->setSearchPaths({""});
    writeText(dir.file("koralith_engine_tests"), "a file named like the test program");
    EXPECT_EQ(files->fullPathForFilename("koralith_engine_tests"),
              std::filesystem::canonical("/proc/self/exe").string());
    files->setSearchPaths(saved);
    std::filesystem::current_path(cwd);
}

// A missing or malformed text table gives empty texts, never a crash; each failure logs one line.
TEST(DictionaryTest, APlistOfStringsIsReadAndAMissingOrMalformedFileGivesAnEmptyOne) {
    TempDir dir;
    writeText(dir.file("text.xml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<plist version=\"1.0\"><dict>\n"
              "  <key>neterror</key><string>Network error &amp; retry</string>\n"
              "  <key>score</key><string>分</string>\n"
              "  <key>nested</key><dict><key>a</key><string>b</string></dict>\n"
              "  <key>count</key><integer>3</integer>\n"
              "  <key>empty</key><string/>\n"
              "</dict></plist>\n");
    __Dictionary* d = __Dictionary::createWithContentsOfFile(dir.file("text.xml").c_str());
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->valueForKey("neterror")->getCString(), "Network error & retry");
    EXPECT_STREQ(d->valueForKey("score")->getCString(), "分");
    EXPECT_STREQ(d->valueForKey("count")->getCString(), "3");
    EXPECT_STREQ(d->valueForKey("empty")->getCString(), "");
    EXPECT_EQ(d->objectForKey("nested"), nullptr);
    EXPECT_STREQ(d->valueForKey("missing")->getCString(), "");
    EXPECT_EQ(d->count(), 4u);

    writeText(dir.file("bad.xml"), "<plist><dict><key>a</key><string>b</dict>");
    writeText(dir.file("array.xml"), "<plist><array><string>b</string></array></plist>");
    for (const std::string& path :
         {dir.file("none.xml"), dir.file("bad.xml"), dir.file("array.xml"), std::string()}) {
        SCOPED_TRACE(path);
        testing::internal::CaptureStderr();
        d = __Dictionary::createWithContentsOfFile(path.empty() ? nullptr : path.c_str());
        const std::string logged = testing::internal::GetCapturedStderr();
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->count(), 0u);
        EXPECT_STREQ(d->valueForKey("neterror")->getCString(), "");
        if (!path.empty()) {
            EXPECT_EQ(std::count(logged.begin(), logged.end(), '\n'), 1) << logged;
            EXPECT_NE(logged.find(path.substr(path.rfind('/') + 1)), std::string::npos);
        }
    }
    AutoreleasePool::getInstance()->clear();
}

TEST(StringUtilsTest, FormatHandlesLongOutput) {
    EXPECT_EQ(StringUtils::format("Score : %d", -12), "Score : -12");
    const std::string longText(5000, 'x');
    EXPECT_EQ(StringUtils::format("%s!", longText.c_str()), longText + "!");
}
