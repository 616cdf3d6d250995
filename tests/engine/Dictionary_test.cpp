#include "TestSupport.h"

#include <algorithm>
#include <fstream>

USING_NS_CC;

// A missing or malformed text table gives empty texts, never a crash; each failure logs one line.
TEST(DictionaryTest, APlistOfStringsIsReadAndAMissingOrMalformedFileGivesAnEmptyOne) {
    TempDir dir;
    std::ofstream(dir.file("text.xml"))
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<plist version=\"1.0\"><dict>\n"
           "  <key>neterror</key><string>Network error &amp; retry</string>\n"
           "  <key>score</key><string>分</string>\n"
           "  <key>nested</key><dict><key>a</key><string>b</string></dict>\n"
           "  <key>count</key><integer>3</integer>\n"
           "  <key>empty</key><string/>\n"
           "</dict></plist>\n";
    __Dictionary* d = __Dictionary::createWithContentsOfFile(dir.file("text.xml").c_str());
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->valueForKey("neterror")->getCString(), "Network error & retry");
    EXPECT_STREQ(d->valueForKey("score")->getCString(), "分");
    EXPECT_STREQ(d->valueForKey("count")->getCString(), "3");
    EXPECT_STREQ(d->valueForKey("empty")->getCString(), "");
    EXPECT_EQ(d->objectForKey("nested"), nullptr);
    EXPECT_STREQ(d->valueForKey("missing")->getCString(), "");
    EXPECT_EQ(d->count(), 4u);

    std::ofstream(dir.file("bad.xml")) << "<plist><dict><key>a</key><string>b</dict>";
    std::ofstream(dir.file("array.xml")) << "<plist><array><string>b</string></array></plist>";
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
