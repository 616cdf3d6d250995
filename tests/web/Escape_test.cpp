// One table of hostile names through every context a name reaches.
#include "Escape.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* name;
    const char* html; // text and attribute differ only in quotes
    const char* attr;
    const char* url;
    const char* json;
};

const Case kCases[] = {
    {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;",
     "&lt;script&gt;alert(1)&lt;/script&gt;", "%3Cscript%3Ealert%281%29%3C%2Fscript%3E",
     R"("\u003cscript\u003ealert(1)\u003c/script\u003e")"},
    {R"(a"b'c&d)", R"(a"b'c&amp;d)", "a&quot;b&#39;c&amp;d", "a%22b%27c%26d", R"("a\"b'c\u0026d")"},
    {"\u202Eevil", "\u202Eevil", "\u202Eevil", "%E2%80%AEevil", "\"\u202Eevil\""},
    {"a/b?c#d%e f+g", "a/b?c#d%e f+g", "a/b?c#d%e f+g", "a%2Fb%3Fc%23d%25e%20f%2Bg",
     "\"a/b?c#d%e f+g\""},
    {R"(back\slash)", R"(back\slash)", R"(back\slash)", "back%5Cslash", R"("back\\slash")"},
    {"line\u2028break", "line\u2028break", "line\u2028break", "line%E2%80%A8break",
     R"("line\u2028break")"},
    // Not UTF-8, and control characters: replaced in text, kept exactly in the address.
    {"a\377b\001c\n", "a\uFFFDb\uFFFDc\uFFFD", "a\uFFFDb\uFFFDc\uFFFD", "a%FFb%01c%0A",
     "\"a\uFFFDb\uFFFDc\uFFFD\""},
    {"\300\257\355\240\200", "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD", "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD",
     "%C0%AF%ED%A0%80", "\"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\""},
    {"李明-Zoë_~.", "李明-Zoë_~.", "李明-Zoë_~.", "%E6%9D%8E%E6%98%8E-Zo%C3%AB_~.",
     "\"李明-Zoë_~.\""},
};

TEST(Escape, EveryContextOfEveryHostileName) {
    for (const Case& c : kCases) {
        EXPECT_EQ(htmlText(c.name), c.html) << c.name;
        EXPECT_EQ(htmlAttr(c.name), c.attr) << c.name;
        EXPECT_EQ(urlSegment(c.name), c.url) << c.name;
        EXPECT_EQ(jsonString(c.name), c.json) << c.name;
    }
}

// A browser resolves "." and ".." away as path segments, in any spelling.
TEST(Escape, PlayerPathsAvoidDotSegments) {
    const std::pair<const char*, const char*> cases[] = {
        {".", "/player?name=."},
        {"..", "/player?name=.."},
        {"...", "/player/..."},
        {"a/..", "/player/a%2F.."},
    };
    for (const auto& [name, path] : cases) {
        EXPECT_EQ(playerPath(name), path);
    }
}

} // namespace
