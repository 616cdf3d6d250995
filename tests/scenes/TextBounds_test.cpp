// Texts from a server are cut before they reach the screen: by characters (the notice) or by
// bytes (names), never in the middle of a character, and broken UTF-8 cannot stretch a cut.
#include "TextBounds.h"

#include <gtest/gtest.h>

namespace {

TEST(TextBounds, CutsFallBetweenCharactersAndBrokenTextStaysBounded) {
    const std::string e = "\xC3\xA9", snow = "\xE2\x9D\x84";
    const std::string broken = "A" + std::string(1300, '\x80');
    const struct {
        std::string text;
        size_t characters, bytes;
        std::string byCharacters, byBytes;
    } cases[] = {
        {"abc", 2, 2, "ab", "ab"},
        {e + e + e, 2, 3, e + e, e},
        {snow + "x", 1, 2, snow, ""},
        {"short", 10, 10, "short", "short"},
        {broken, 2, 5, broken.substr(0, 8), ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(scenes::firstCharacters(c.text, c.characters), c.byCharacters) << c.text.size();
        EXPECT_EQ(scenes::firstBytes(c.text, c.bytes), c.byBytes) << c.text.size();
    }
}

} // namespace
