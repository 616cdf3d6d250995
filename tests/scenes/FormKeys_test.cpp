// The keyboard and the mouse as a desktop player uses them on the forms.

#include "EventCodes.h"
#include "GBLoginScene.h"
#include "GBMatchScene.h"
#include "GBRegistScene.h"
#include "HelloWorld.h"
#include "SceneFixture.h"

#include <algorithm>

USING_NS_CC;
using Key = EventKeyboard::KeyCode;

namespace {

using FormKeysTest = SceneFixture;

TEST_F(FormKeysTest, TabMovesThroughTheFormEnterSubmitsEscapeGoesBackAndTheBoxTakesClicks) {
    UserDefault::getInstance()->setStringForKey("username", "ann"); // the password is missing
    show(GBLoginScene::create());
    const auto focused = [this] { // the place of the focused field among the fields
        const std::vector<ui::TextField*> fields = screen::all<ui::TextField>(h);
        return std::find_if(fields.begin(), fields.end(), [](auto* f) { return f->isFocused(); }) -
               fields.begin();
    };
    EXPECT_EQ(focused(), 1); // the first empty field
    const std::pair<bool, int> tabs[] = {{false, 0}, {false, 1}, {true, 0}, {true, 1}};
    for (const auto& [shift, expected] : tabs) {
        h.key(Key::KEY_TAB, shift);
        EXPECT_EQ(focused(), expected) << shift;
    }
    // A click on the empty part of the name field's box, far right of its text.
    ui::TextField* name = screen::all<ui::TextField>(h).front();
    h.touch(name->convertToWorldSpace(Vec2(300, name->getContentSize().height / 2)));
    EXPECT_EQ(focused(), 0);
    h.key(Key::KEY_ENTER);
    h.advance(0.1f);
    EXPECT_EQ(message(), text("emptywarning"));
    h.key(Key::KEY_TAB);
    h.type("pw");
    h.key(Key::KEY_KP_ENTER);
    answerNow(director.nextSequence() - 1, EVENT_LOGIN, ints({1, 42}));
    ASSERT_NE(running<GBMatchScene>(), nullptr);
    EXPECT_NE(h.findText(text("loginsucceed")), nullptr); // still readable where one lands

    // Escape in the match room logs out; in the login form it goes to the menu.
    h.key(Key::KEY_ESCAPE);
    EXPECT_NE(running<GBLoginScene>(), nullptr);
    h.tap(button("images/regist.png"));
    ASSERT_NE(running<GBRegistScene>(), nullptr);
    EXPECT_EQ(focused(), 0);
    h.key(Key::KEY_ESCAPE);
    EXPECT_NE(running<GBLoginScene>(), nullptr);
    h.key(Key::KEY_ESCAPE);
    EXPECT_NE(running<HelloWorld>(), nullptr);
}

} // namespace
