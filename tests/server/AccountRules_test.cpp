// The rules checked before an account is looked at: well-formed names and digests, and the
// throttle on password guessing, on a clock of the test's own.

#include "AccountRules.h"
#include "LoginThrottle.h"

#include <gtest/gtest.h>

TEST(AccountRules, NamesAreShortWellFormedUtf8WithoutControls) {
    for (const char* good : {"a", "Ann Lee", "Łucja", "李小龍", "\xF0\x9F\x8E\xB2 dice", "~!@#"}) {
        EXPECT_TRUE(validUserName(good)) << good;
    }
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
    for (const char* bad :
         {"0123456789ABCDEF0123456789abcdef", "0123456789abcdef0123456789abcde",
          "0123456789abcdef0123456789abcdef0", "0123456789abcdeg0123456789abcdef"}) {
        EXPECT_FALSE(validDigest(bad)) << bad;
    }
}

TEST(LoginThrottle, AFullWindowOfFailuresBlocksUntilTheOldestExpires) {
    using namespace std::chrono_literals;
    LoginThrottle t;
    const LoginThrottle::Clock::time_point start{};
    for (int i = 0; i < 4; ++i) {
        t.failed("ann", "10.0.0.1", start);
    }
    t.succeeded("ann"); // a success forgets the name's failures
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(t.allowed("ann", "10.0.0.1", start + i * 1s));
        t.failed("ann", "10.0.0.1", start + i * 1s);
    }
    EXPECT_FALSE(t.allowed("ann", "10.0.0.2", start + 10s)); // from any address
    EXPECT_TRUE(t.allowed("bob", "10.0.0.1", start + 10s));
    EXPECT_FALSE(t.allowed("ann", "10.0.0.1", start + 59s));
    EXPECT_TRUE(t.allowed("ann", "10.0.0.1", start + 60s)); // the first failure has expired
    t.failed("ann", "10.0.0.1", start + 60s);
    EXPECT_FALSE(t.allowed("ann", "10.0.0.1", start + 60s));
}
