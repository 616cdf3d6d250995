// The main menu: where its buttons lead, the notice line, and the notice listener it must give
// back on every way out.

#include "DanJiGame.h"
#include "EventCodes.h"
#include "GBLoginScene.h"
#include "HelloWorld.h"
#include "SceneFixture.h"

USING_NS_CC;

namespace {

// A notice answer: field 0 = 1, then the texts.
CLDataBuffer noticeFields(std::initializer_list<const char*> texts) {
    CLDataBuffer fields = ints({1});
    for (const char* text : texts) {
        fields.addString(text);
    }
    return fields;
}

class MenuTest : public SceneFixture {
protected:
    // The menu's buttons in the order it makes them.
    enum Which { SINGLE, ONLINE, EXIT };
    ui::Button* button(Which which) { return screen::all<ui::Button>(h).at(which); }
    std::string notice() { return EngineHarness::textOf(menu->getChildren().front()); }
    // A listener under the notice's name is accepted only if nobody holds the name.
    bool noticeNameFree() {
        const bool free = director.addListener("gb_event_getnotice", [](const auto&) {});
        director.removeListeners("gb_event_getnotice");
        return free;
    }

    HelloWorld* menu = show(HelloWorld::create());
};

TEST_F(MenuTest, EachButtonLeadsWhereItSaysOnceReleasedOnItAndGivesTheNoticeNameBack) {
    h.press(EngineHarness::worldCentre(button(SINGLE)));
    h.release(Vec2(20, 20)); // off the button: nothing happens
    EXPECT_FALSE(noticeNameFree());
    EXPECT_EQ(running<HelloWorld>(), menu);
    for (Which which : {SINGLE, ONLINE, EXIT}) {
        menu = show(HelloWorld::create());
        EXPECT_FALSE(noticeNameFree());
        h.tap(button(which));
        EXPECT_TRUE(noticeNameFree()) << which;
        if (which == EXIT) {
            EXPECT_TRUE(h.director()->isEnding());
            continue;
        }
        h.advance(0.6f);
        Node* arrived = h.director()->getRunningScene()->getChildren().front();
        EXPECT_TRUE(which == SINGLE ? dynamic_cast<DanJiGame*>(arrived) != nullptr
                                    : dynamic_cast<GBLoginScene*>(arrived) != nullptr);
        director.removeListeners("gb_event_login"); // the next case replaces the scene at once
    }
}

// Field 0 other than 1 clears the line; with fields missing or mistyped it keeps what it showed.
TEST_F(MenuTest, NoticeLineFromTheAnswersFields) {
    const struct {
        CLDataBuffer fields;
        bool taken;
        std::string shown;
    } cases[] = {
        {noticeFields({"Server moves tonight", "2026-12-06 20:00"}), true,
         "2026-12-06  Server moves tonight"},                       // the date cut to ten
        {noticeFields({"Hello", "today"}), true, "today  Hello"},   // shorter: shown whole
        {noticeFields({"n", "\xC3\xA9t\xC3\xA9 2026-12-06"}), true, // ten characters, not bytes
         "\xC3\xA9t\xC3\xA9 2026-1  n"},
        {noticeFields({std::string(1 << 20, 'n').c_str(), "today"}), true, // a megabyte cut
         "today  " + std::string(300, 'n')},
        {ints({0}), true, ""},
        {noticeFields({"only one"}), false, "kept"},
        {ints({1, 2, 3}), false, "kept"},
        {CLDataBuffer(), false, "kept"},
    };
    for (const auto& c : cases) {
        std::string line = "kept";
        EXPECT_EQ(HelloWorld::noticeLine(&c.fields, line), c.taken) << c.shown;
        EXPECT_EQ(line, c.shown);
    }
    std::string line = "kept";
    EXPECT_FALSE(HelloWorld::noticeLine(nullptr, line));
    EXPECT_EQ(line, "kept");
}

TEST_F(MenuTest, TheAnswerReachesTheLineAndAFreshMenuAsksAgain) {
    answer(0, EVENT_GETNOTICE,
           noticeFields({"Welcome", "2026-12-06 08:00"})); // the director's first
    h.advance(0.2f);
    EXPECT_EQ(notice(), "2026-12-06  Welcome");

    h.tap(button(SINGLE));
    ASSERT_NE(running<DanJiGame>(), nullptr);
    h.tap(h.find<ui::Button>()); // the game's back button
    menu = running<HelloWorld>();
    ASSERT_NE(menu, nullptr);
    answer(1, EVENT_GETNOTICE,
           noticeFields({"Back again", "2026-12-07"})); // the second menu's request
    h.advance(0.2f);
    EXPECT_EQ(notice(), "2026-12-07  Back again");
}

} // namespace
