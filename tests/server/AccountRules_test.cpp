// The rules checked before an account is looked at: well-formed names and digests, and the
// throttle on password guessing and registrations, on a clock of the test's own.

#include "AccountRules.h"
#include "LoginThrottle.h"

#include <gtest/gtest.h>

// A new name is short, well-formed UTF-8 without controls, draws every character, has no blank
// at either end, is in NFC without width forms, and mixes scripts only as Japanese, Chinese or
// Korean text does with Latin. A login may name any well-formed name: earlier servers took them.
TEST(AccountRules, NewNamesAreVisibleWellFormedUtf8AndLoginsTakeAnyWellFormedName) {
    enum Verdict { New, LoginOnly, Neither };
    const std::pair<Verdict, std::vector<std::string>> cases[] = {
        // 32 bytes, Latin with Han; Cyrillic, Greek, Han with kana, Hangul, emoji: one script.
        {New,
         {"a", "Ann Lee", "Łucja", "李小龍", "\xF0\x9F\x8E\xB2 dice", "~!@#", "Борис", "Σοφία",
          "山田たろう", "김민준", "ǅemal", "Straße", std::string(11, 'x') + "李李李李李李李"}},
        // 33 bytes; controls; UTF-8 that is cut, overlong, a surrogate, past U+10FFFF, or none.
        {Neither,
         {std::string(12, 'x') + "李李李李李李李", "", "tab\t", "nl\n", "del\x7F", "c1\xC2\x85",
          "lone\x80", "cut\xE6\x9D", "overlong\xC0\xAF", "surrogate\xED\xA0\x80",
          "big\xF4\x90\x80\x80", "\xFF"}},
        // Blanks alone or at an end, and what draws nothing: a braille blank, zero-width space
        // and joiners, bidi overrides, isolates and marks, BOM, soft hyphen, Hangul filler,
        // variation selector, line separator, tag, private use, one mark twice.
        {LoginOnly, {" ",           "   ",          " ann",           "ann ",        "ann\u00A0",
                     "\u3000ann",   "\u2800",       "al\u200Bice",    "al\u200Dice", "al\u2060ice",
                     "\u202Eecila", "a\u202Ab",     "a\u2066b\u2069", "alice\u200F", "\uFEFFalice",
                     "al\u00ADice", "\u3164",       "alice\uFE0F",    "a\u2028b",    "a\U000E0041",
                     "ann\uE000",   "x\u0301\u0301"}},
        // Cyrillic or Greek beside Latin; fullwidth and halfwidth forms (the ideographic space
        // is one); a letter and its accent apart (NFD).
        {LoginOnly,
         {"\u0430lice", "alpha\u03B2", "李\u3000小龍", "ａｌｉｃｅ", "ｶﾀ", "e\u0301clair"}},
    };
    for (const auto& [verdict, names] : cases) {
        for (const std::string& name : names) {
            EXPECT_EQ(validUserName(name), verdict == New) << name;
            EXPECT_EQ(wellFormedUserName(name), verdict != Neither) << name;
        }
    }
}

// Names that differ only in case, width, composition or letters that look alike are one name;
// the key is what the stored names are unique by.
TEST(AccountRules, NamesThatLookAlikeHaveOneKey) {
    const std::pair<std::string, std::vector<std::string>> same[] = {
        {"alice", {"ALICE", "\u0430lice", "ａｌｉｃｅ", "AL\u0406CE"}},
        {"éclair", {"e\u0301clair", "ÉCLAIR"}},
        {"Łucja", {"łucja", "ŁUCJA"}},
        {"ǅemal", {"ǆemal", "ǄEMAL"}},
        {"Straße", {"STRASSE", "strasse"}},
        {"fish", {"\uFB01sh"}},
        {"modern", {"rnodern"}},
        {"カタ", {"ｶﾀ"}},
    };
    for (const auto& [name, alikes] : same) {
        EXPECT_NE(nameKey(name), std::nullopt) << name;
        for (const std::string& alike : alikes) {
            EXPECT_EQ(nameKey(name), nameKey(alike)) << name << " " << alike;
        }
    }
    for (const auto& [a, b] : {std::pair{"anna", "anne"}, {"李", "季"}, {"Boris", "Борис"}}) {
        EXPECT_NE(nameKey(a), nameKey(b)) << a << " " << b;
    }
    EXPECT_EQ(nameKey("cut\xE6\x9D"), std::nullopt);
}

TEST(AccountRules, DigestsAre32LowercaseHexCharacters) {
    EXPECT_TRUE(validDigest("0123456789abcdef0123456789abcdef"));
    for (const char* bad :
         {"0123456789ABCDEF0123456789abcdef", "0123456789abcdef0123456789abcde",
          "0123456789abcdef0123456789abcdef0", "0123456789abcdeg0123456789abcdef"}) {
        EXPECT_FALSE(validDigest(bad)) << bad;
    }
}

using namespace std::chrono_literals;

TEST(LoginThrottle, FailuresHoldBackOnlyTheAddressThatMadeThem) {
    LoginThrottle t;
    const LoginThrottle::Clock::time_point start{};
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(t.takeLogin("ann", "10.0.0.1", start + i * 1s));
    }
    EXPECT_FALSE(t.takeLogin("ann", "10.0.0.1", start + 59s));
    EXPECT_TRUE(t.takeLogin("ann", "10.0.0.2", start + 10s)); // the player, elsewhere
    for (int i = 0; i < 15; ++i) {
        EXPECT_TRUE(t.takeLogin("name" + std::to_string(i), "10.0.0.1", start + 10s));
    }
    EXPECT_FALSE(t.takeLogin("bob", "10.0.0.1", start + 10s)); // 20 from one address
    EXPECT_TRUE(t.takeLogin("bob", "10.0.0.2", start + 10s));
    EXPECT_TRUE(t.takeLogin("ann", "10.0.0.1", start + 70s)); // all a minute old
}

// Tries still being checked count as failures: five taken at once refuse the sixth, as five
// failed ones would. A right one stops counting, toward the address and the name, and forgets
// the name's failures from that address.
TEST(LoginThrottle, TriesCountWhenTakenAndARightOneStopsCounting) {
    LoginThrottle t;
    const LoginThrottle::Clock::time_point now{};
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(t.takeLogin("ann", "10.0.0.1", now));
    }
    EXPECT_FALSE(t.takeLogin("ann", "10.0.0.1", now));
    t.succeeded("ann", "10.0.0.1", now);
    for (int i = 0; i < 16; ++i) { // 4 + 16 taken: the address is at its limit
        EXPECT_TRUE(t.takeLogin("name" + std::to_string(i), "10.0.0.1", now)) << i;
    }
    EXPECT_FALSE(t.takeLogin("ann", "10.0.0.1", now));
    t.succeeded("name0", "10.0.0.1", now);
    EXPECT_TRUE(t.takeLogin("ann", "10.0.0.1", now));

    // Ten failures on "bob" cost nothing; the player's three logins add none, so the next
    // failure is the eleventh, with the first delay.
    for (int i = 0; i < 10; ++i) {
        t.takeLogin("bob", "10.1.0." + std::to_string(i), now);
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(t.takeLogin("bob", "10.2.0.1", now + i * 1s));
        t.succeeded("bob", "10.2.0.1", now + i * 1s);
    }
    EXPECT_TRUE(t.takeLogin("bob", "10.3.0.1", now));
    EXPECT_FALSE(t.takeLogin("bob", "10.3.0.1", now + LoginThrottle::kFirstDelay - 1ms));
    EXPECT_TRUE(t.takeLogin("bob", "10.3.0.1", now + LoginThrottle::kFirstDelay));
}

TEST(LoginThrottle, AnAddressAsksForTwentyAccountsAMinute) {
    LoginThrottle t;
    const LoginThrottle::Clock::time_point now{};
    for (size_t i = 0; i < LoginThrottle::kRegistrationsPerAddress; ++i) {
        EXPECT_TRUE(t.takeRegistration("10.0.0.1", now + i * 1s)) << i;
    }
    EXPECT_FALSE(t.takeRegistration("10.0.0.1", now + 59s));
    EXPECT_TRUE(t.takeRegistration("10.0.0.2", now + 59s));
    EXPECT_TRUE(t.takeRegistration("10.0.0.1", now + 60s)); // the first is a minute old
}

// Ten failures on a name cost nothing more; after that an address that failed on it waits
// after its failure, twice as long for each further failure of the name, up to a minute. Each
// case takes three tries: the failing address's, its next one, and a clean address's.
TEST(LoginThrottle, ANameUnderAttackSlowsTheFailingAddressesMoreAndMoreButNoOther) {
    LoginThrottle t;
    LoginThrottle::Clock::time_point now{};
    const struct {
        int nameFailures;
        std::chrono::seconds wait;
    } cases[] = {{10, 0s}, {13, 4s}, {16, 32s}, {19, 60s}, {30, 60s}};
    int failures = 0;
    for (const auto& k : cases) {
        while (failures < k.nameFailures - 1) { // from addresses of their own
            t.takeLogin("ann", "10.1.0." + std::to_string(failures++), now);
        }
        const std::string mine = "10.2.0." + std::to_string(failures++);
        t.takeLogin("ann", mine, now);
        if (k.wait > 0s) {
            EXPECT_FALSE(t.takeLogin("ann", mine, now + k.wait - 1ms)) << k.nameFailures;
        }
        EXPECT_TRUE(t.takeLogin("ann", mine, now + k.wait)) << k.nameFailures;
        EXPECT_TRUE(t.takeLogin("ann", "10.3.0." + std::to_string(failures), now))
            << k.nameFailures;
        failures += 2;
        now += k.wait;
    }
    now += 15min; // a quiet name starts over
    t.takeLogin("ann", "10.2.0.99", now);
    EXPECT_TRUE(t.takeLogin("ann", "10.2.0.99", now));
}
