#include "base/Dictionary.h"
#include "base/Macros.h"
#include "base/Ref.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>

USING_NS_CC;

TEST(TextTable, EveryKeyTheScenesLookUpHasAText) {
    __Dictionary* texts = __Dictionary::createWithContentsOfFile(KORALITH_RES_DIR "/text.xml");
    ASSERT_NE(texts, nullptr);
    std::istringstream keys(
        "username password usernameinput passwordinput confirmpassword passwordwarning "
        "regsucceed regfailed emptywarning neterror loginsucceed loginfailed matchwarning "
        "matchwarning2 handleerror score win lose tied leave overtime overtimeyou "
        "overtimeopponent youplay black white yourturn computerturn opponentturn youwon "
        "youlost draw leavequestion connectionlost elsewhere");
    for (std::string key; keys >> key;) {
        EXPECT_FALSE(texts->valueForKey(key)->getCString()[0] == '\0') << key;
    }
    // The score line writes each of these straight after a number ("120" then the text).
    for (const char* key : {"score", "win", "lose", "tied"}) {
        const std::string text = texts->valueForKey(key)->getCString();
        EXPECT_EQ(text.substr(0, 1), " ") << key;
        EXPECT_GT(text.size(), 1u) << key;
    }
    AutoreleasePool::getInstance()->clear();
}
