#include "TestSupport.h"
#include "harness/EngineHarness.h"

#include <SDL.h>
#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

USING_NS_CC;

namespace {
void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

// Points the store at a temporary folder and back at nothing afterwards.
struct StoreFixture : ::testing::Test {
    TempDir dir;
    void SetUp() override { UserDefault::setStorageDirectory(dir.path()); }
};
} // namespace

TEST_F(StoreFixture, IntegersAndStringsAreStoredAtOnceAndReadBack) {
    UserDefault* store = UserDefault::getInstance();
    EXPECT_EQ(store->getIntegerForKey("score", 50), 50);
    EXPECT_EQ(store->getStringForKey("username", ""), "");
    store->setIntegerForKey("score", -4);
    store->setStringForKey("username", "Jörg <&> \"x\"");
    store->setStringForKey("password", "");
    // A fresh load from the folder: the values were on disk already.
    UserDefault::setStorageDirectory(dir.path());
    store = UserDefault::getInstance();
    EXPECT_EQ(store->getIntegerForKey("score", 50), -4);
    EXPECT_EQ(store->getStringForKey("username", "?"), "Jörg <&> \"x\"");
    EXPECT_EQ(store->getStringForKey("password", "?"), "");
    struct stat st {};
    ASSERT_EQ(::stat(store->getFilePath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(StoreFixture, AnUnreadableStoreStartsEmptyAndIsReplacedOnTheNextWrite) {
    writeText(dir.file("UserDefault.xml"), "<userDefaultRoot><entry key=");
    ::chmod(dir.file("UserDefault.xml").c_str(), 0644);
    UserDefault::setStorageDirectory(dir.path());
    UserDefault* store = UserDefault::getInstance();
    EXPECT_EQ(store->getIntegerForKey("score", 50), 50);
    store->setIntegerForKey("score", 7);
    struct stat st {};
    ASSERT_EQ(::stat(store->getFilePath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    UserDefault::setStorageDirectory(dir.path());
    EXPECT_EQ(UserDefault::getInstance()->getIntegerForKey("score", 50), 7);
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
    EXPECT_EQ(files->fullPathForFilename(dir.file("res/images/a.png")),
              dir.file("res/images/a.png"));
    files->setSearchPaths({dir.path() + "/res/"});
    EXPECT_TRUE(files->isFileExist("images/a.png"));
    // The executable's folder comes before the working folder.
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
              "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
              "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
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
    EXPECT_EQ(d->objectForKey("a"), nullptr);
    EXPECT_STREQ(d->valueForKey("missing")->getCString(), "");
    EXPECT_EQ(d->count(), 4u);
    AutoreleasePool::getInstance()->clear();
}

// A missing text table gives empty texts, never a crash; each failure logs one line.
TEST(DictionaryTest, AMissingOrMalformedFileGivesAnEmptyDictionary) {
    TempDir dir;
    writeText(dir.file("bad.xml"), "<plist><dict><key>a</key><string>b</dict>");
    writeText(dir.file("array.xml"), "<plist><array><string>b</string></array></plist>");
    const std::string paths[] = {dir.file("none.xml"), dir.file("bad.xml"), dir.file("array.xml")};
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        testing::internal::CaptureStderr();
        __Dictionary* d = __Dictionary::createWithContentsOfFile(path.c_str());
        const std::string logged = testing::internal::GetCapturedStderr();
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->count(), 0u);
        EXPECT_STREQ(d->valueForKey("neterror")->getCString(), "");
        EXPECT_EQ(std::count(logged.begin(), logged.end(), '\n'), 1) << logged;
        EXPECT_NE(logged.find(path.substr(path.rfind('/') + 1)), std::string::npos) << logged;
    }
    __Dictionary* none = __Dictionary::createWithContentsOfFile(nullptr);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->count(), 0u);
    AutoreleasePool::getInstance()->clear();
}

TEST(RandomTest, SeedingRepeatsTheDrawsWhichStayInRange) {
    RandomHelper::getEngine().seed(1234);
    std::vector<int> first;
    for (int i = 0; i < 50; ++i) {
        first.push_back(cocos2d::random());
    }
    RandomHelper::getEngine().seed(1234);
    std::set<int> parities;
    for (int i = 0; i < 50; ++i) {
        const int v = cocos2d::random();
        EXPECT_EQ(v, first[i]);
        EXPECT_GE(v, 0);
        EXPECT_LE(v, 32767);
        parities.insert(v % 2);
    }
    EXPECT_EQ(parities.size(), 2u);
    for (int i = 0; i < 50; ++i) {
        const int d = RandomHelper::random_int(-3, 3);
        EXPECT_GE(d, -3);
        EXPECT_LE(d, 3);
    }
}

TEST(StringUtilsTest, FormatHandlesLongOutput) {
    EXPECT_EQ(StringUtils::format("Score : %d", -12), "Score : -12");
    EXPECT_EQ(StringUtils::format("q%d%d", 1, 11), "q111");
    const std::string longText(5000, 'x');
    EXPECT_EQ(StringUtils::format("%s!", longText.c_str()), longText + "!");
    EXPECT_EQ(StringUtils::format("%s", ""), "");
}
