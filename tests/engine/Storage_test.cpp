#include "TestSupport.h"
#include "harness/EngineHarness.h"

#include <SDL.h>
#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

USING_NS_CC;

namespace {
void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

unsigned modeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}
} // namespace

TEST(UserDefaultTest, ValuesAreStoredAtOnceForTheUserAloneOverAnUnreadableStore) {
    TempDir dir;
    writeText(dir.file("UserDefault.xml"), "<userDefaultRoot><entry key=");
    ::chmod(dir.file("UserDefault.xml").c_str(), 0644);
    UserDefault::setStorageDirectory(dir.path());
    UserDefault* store = UserDefault::getInstance();
    EXPECT_EQ(store->getIntegerForKey("score", 50), 50);
    EXPECT_EQ(store->getStringForKey("username", ""), "");
    store->setIntegerForKey("score", -4);
    store->setStringForKey("username", "Jörg <&> \"x\"");
    store->setStringForKey("password", "");
    EXPECT_EQ(modeOf(store->getFilePath()), 0600u);
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
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    ::mkdir(dir.file("res").c_str(), 0700);
    ::mkdir(dir.file("res/images").c_str(), 0700);
    writeText(dir.file("res/images/a.png"), "x");
    files->addSearchPath("res");
    EXPECT_EQ(files->fullPathForFilename("images/a.png"), dir.file("res/images/a.png"));
    EXPECT_EQ(files->fullPathForFilename("images/missing.png"), "");
    files->setSearchPaths({""});
    char* base = SDL_GetBasePath();
    ASSERT_NE(base, nullptr);
    const std::string exeFolder = base;
    SDL_free(base);
    writeText(dir.file("koralith_engine_tests"), "a file named like the test program");
    EXPECT_EQ(files->fullPathForFilename("koralith_engine_tests"),
              exeFolder + "koralith_engine_tests");
    files->setSearchPaths(saved);
    ASSERT_EQ(::chdir(cwd), 0);
}

TEST(DictionaryTest, APlistDictionaryOfStringsIsRead) {
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
    AutoreleasePool::getInstance()->clear();
}

// A missing text table gives empty texts, never a crash; each failure logs one line.
TEST(DictionaryTest, AMissingOrMalformedFileGivesAnEmptyDictionary) {
    TempDir dir;
    writeText(dir.file("bad.xml"), "<plist><dict><key>a</key><string>b</dict>");
    writeText(dir.file("array.xml"), "<plist><array><string>b</string></array></plist>");
    for (const std::string& path :
         {dir.file("none.xml"), dir.file("bad.xml"), dir.file("array.xml"), std::string()}) {
        SCOPED_TRACE(path);
        testing::internal::CaptureStderr();
        __Dictionary* d =
            __Dictionary::createWithContentsOfFile(path.empty() ? nullptr : path.c_str());
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

// The single-player game draws its colour with random() % 2: seeded draws replay.
TEST(RandomTest, SeedingRepeatsTheDrawsWhichStayInRange) {
    std::vector<int> draws[2];
    for (auto& run : draws) {
        RandomHelper::getEngine().seed(1234);
        std::generate_n(std::back_inserter(run), 50, [] { return cocos2d::random(); });
    }
    EXPECT_EQ(draws[0], draws[1]);
    const auto [low, high] = std::minmax_element(draws[0].begin(), draws[0].end());
    EXPECT_GE(*low, 0);
    EXPECT_LE(*high, 32767);
    const auto odd = std::count_if(draws[0].begin(), draws[0].end(), [](int v) { return v % 2; });
    EXPECT_TRUE(odd > 0 && odd < 50);
}

TEST(StringUtilsTest, FormatHandlesLongOutput) {
    EXPECT_EQ(StringUtils::format("Score : %d", -12), "Score : -12");
    const std::string longText(5000, 'x');
    EXPECT_EQ(StringUtils::format("%s!", longText.c_str()), longText + "!");
}
