// The settings store: values written at once, for the user alone, over a store that cannot be
// read.

#include "TestSupport.h"

#include <fstream>
#include <sys/stat.h>

USING_NS_CC;

TEST(UserDefaultTest, ValuesAreStoredAtOnceForTheUserAloneOverAnUnreadableStore) {
    TempDir dir;
    std::ofstream(dir.file("UserDefault.xml")) << "<userDefaultRoot><entry key=";
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
