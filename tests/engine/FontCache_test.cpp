// A server may send texts of any size: beyond the engine's limits they are not drawn, keep the
// size of an empty text, never crash, and only the first one refused is logged. No other test
// in this program may have a text refused, since the log line comes once per process.

#include "harness/EngineHarness.h"
#include "renderer/FontCache.h"
#include "renderer/Texture2D.h"

#include <algorithm>
#include <gtest/gtest.h>

USING_NS_CC;

namespace {
std::string repeated(const std::string& unit, size_t bytes) {
    std::string s;
    while (s.size() < bytes) {
        s += unit;
    }
    return s.substr(0, bytes);
}
} // namespace

TEST(DrawingTextLimitTest, TextsBeyondTheLimitsAreAnEmptyLineNeverACrashAndLoggedOnce) {
    EngineHarness h(Size(576, 576));
    const Size empty = renderText("", "Arial", 24, 0).size;
    const std::string words = "the quick brown fox jumps over the lazy dog ";
    const std::string huge(15 << 20, 'x'); // crashed SDL_ttf
    const struct {
        std::string text;
        float wrap;
        bool drawn;
    } cases[] = {
        {repeated(words, kMaxTextBytes), 576, true},
        {repeated(words, kMaxTextBytes + 1), 576, false},
        {huge, 576, false},
        {repeated("W", kMaxTextBytes / 2), 0, false},   // too wide, by far
        {std::string(kMaxTextBytes, '\n'), 576, false}, // too tall, known before laying out
        {repeated("x ", kMaxTextBytes), 100, false},    // too tall once wrapped
    };
    testing::internal::CaptureStderr();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.text.size()) + " bytes, wrap " + std::to_string(c.wrap));
        const RenderedText r = renderText(c.text, "Arial", 24, c.wrap);
        EXPECT_EQ(r.texture != nullptr, c.drawn);
        EXPECT_EQ(r.size == empty, !c.drawn);
        if (r.texture) {
            r.texture->release();
        }
    }
    EXPECT_EQ(ui::Text::create(huge, "Arial", 24)->getContentSize(), empty);
    auto* field = ui::TextField::create("", "Arial", 24);
    const Size emptyField = field->getContentSize();
    field->setString(huge);
    EXPECT_EQ(field->getContentSize(), emptyField);
    const std::string logged = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(logged.begin(), logged.end(), '\n'), 1) << logged;
}
