// The main menu: where its buttons lead, the notice line, and the notice listener it must give
// back on every way out.

#include "DanJiGame.h"
#include "EventCodes.h"
#include "GBLoginScene.h"
#include "HelloWorld.h"
#include "SceneFixture.h"

USING_NS_CC;

namespace {

class MenuTest : public SceneFixture {
protected:
    // The menu's buttons in the order it makes them.
    enum Which { SINGLE, ONLINE, EXIT };
    ui::Button* button(Which which) { return buttons().at(which); }
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

TEST_F(MenuTest, NoticeLineFromTheAnswersFields) {
    struct Case {
        const char* what;
        std::vector<std::string> strings; // fields 1 and 2 after field 0 = 1
        const char* shown;
    };
    const Case cases[] = {
        {"date cut to ten characters",
         {"Server moves tonight", "2026-12-06 20:00"},
         "2026-12-06  Server moves tonight"},
        {"a short second text shown whole", {"Hello", "today"}, "today  Hello"},
        {"ten characters, not ten bytes",
         {"n", "\xC3\xA9t\xC3\xA9 2026-12-06"},
         "\xC3\xA9t\xC3\xA9 2026-1  n"},
    };
    for (const Case& c : cases) {
        CLDataBuffer fields = ints({1});
        for (const std::string& s : c.strings) {
            fields.addString(s.c_str());
        }
        std::string line;
        EXPECT_TRUE(HelloWorld::noticeLine(&fields, line)) << c.what;
        EXPECT_EQ(line, c.shown) << c.what;
    }
    // Field 0 other than 1 clears the line.
    CLDataBuffer cleared = ints({0});
    std::string line = "old";
    EXPECT_TRUE(HelloWorld::noticeLine(&cleared, line));
    EXPECT_EQ(line, "");
    // Missing or mistyped fields: the line keeps what it showed.
    CLDataBuffer cut = ints({1});
    cut.addString("only one");
    CLDataBuffer mistyped = ints({1, 2, 3});
    CLDataBuffer none;
    for (const CLDataBuffer* bad : {&cut, &mistyped, &none, static_cast<CLDataBuffer*>(nullptr)}) {
        line = "kept";
        EXPECT_FALSE(HelloWorld::noticeLine(bad, line));
        EXPECT_EQ(line, "kept");
    }
}

TEST_F(MenuTest, TheAnswerReachesTheLineAndAFreshMenuAsksAgain) {
    CLDataBuffer good = ints({1});
    good.addString("Welcome");
    good.addString("2026-12-06 08:00");
    answer(0, EVENT_GETNOTICE, good); // the menu's request was the director's first
    h.advance(0.2f);
    EXPECT_EQ(notice(), "2026-12-06  Welcome");

    h.tap(button(SINGLE));
    ASSERT_NE(running<DanJiGame>(), nullptr);
    h.tap(h.find<ui::Button>()); // the game's back button
    menu = running<HelloWorld>();
    ASSERT_NE(menu, nullptr);
    CLDataBuffer fields = ints({1});
    fields.addString("Back again");
    fields.addString("2026-12-07");
    answer(1, EVENT_GETNOTICE, fields); // the second menu's request
    h.advance(0.2f);
    EXPECT_EQ(notice(), "2026-12-07  Back again");
}

} // namespace
