#include "AccountRules.h"

#include <gtest/gtest.h>

TEST(AccountRules, NamesAreShortWellFormedUtf8WithoutControls) {
    for (const char* good : {"a", "Ann Lee", "Łucja", "李小龍", "\xF0\x9F\x8E\xB2 dice", "~!@#"}) {
        EXPECT_TRUE(validUserName(good)) << good;
    }
    EXPECT_TRUE(validUserName(std::string(32, 'x')));
    EXPECT_FALSE(validUserName(std::string(33, 'x')));
    EXPECT_TRUE(validUserName(std::string(11, 'x') + "李李李李李李李"));  // 32 bytes
    EXPECT_FALSE(validUserName(std::string(12, 'x') + "李李李李李李李")); // 33 bytes
    for (const char* bad :
         {"", "tab\t", "nl\n", "del\x7F", "c1\xC2\x85", "lone\x80", "cut\xE6\x9D",
          "overlong\xC0\xAF", "surrogate\xED\xA0\x80", "big\xF4\x90\x80\x80", "\xFF"}) {
        EXPECT_FALSE(validUserName(bad)) << bad;
    }
}

TEST(AccountRules, DigestsAre32LowercaseHexCharacters) {
    EXPECT_TRUE(validDigest("0123456789abcdef0123456789abcdef"));
    EXPECT_FALSE(validDigest("0123456789ABCDEF0123456789abcdef"));
    EXPECT_FALSE(validDigest("0123456789abcdef0123456789abcde"));
    EXPECT_FALSE(validDigest("0123456789abcdef0123456789abcdef0"));
    EXPECT_FALSE(validDigest("0123456789abcdeg0123456789abcdef"));
}
