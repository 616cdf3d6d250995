// The rules checked before an account is looked at: well-formed names and digests.

#include "AccountRules.h"

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
