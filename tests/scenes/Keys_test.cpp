// The keyboard as a desktop player uses it: Tab and Shift+Tab through a form, Enter for its main
// button, Escape for each scene's back button, and in a running online game a question first;
// the fields' boxes take clicks where there is no text yet.

#include "DanJiGame.h"
#include "EventCodes.h"
#include "GBLoginScene.h"
#include "GBMatchScene.h"
#include "GBNetGame.h"
#include "GBRegistScene.h"
#include "HelloWorld.h"
#include "SceneFixture.h"

USING_NS_CC;
using Key = EventKeyboard::KeyCode;

namespace {

class KeysTest : public SceneFixture {
protected:
    std::vector<ui::TextField*> fields() const {
        std::vector<ui::TextField*> out;
        for (Node* n : h.allNodes()) {
            if (auto* f = dynamic_cast<ui::TextField*>(n)) {
                out.push_back(f);
            }
        }
        return out;
    }
    // The index of the focused field, -1 for none.
    int focused() const {
        const auto all = fields();
        for (size_t i = 0; i < all.size(); ++i) {
            if (all[i]->isFocused()) {
                return int(i);
            }
        }
        return -1;
    }
};

TEST_F(KeysTest, TabMovesThroughTheFormEnterSubmitsEscapeGoesBackAndTheBoxTakesClicks) {
    UserDefault::getInstance()->setStringForKey("username", "ann"); // the password is missing
    show(GBLoginScene::create());
    EXPECT_EQ(focused(), 1); // the first empty field
    const std::pair<bool, int> tabs[] = {{false, 0}, {false, 1}, {true, 0}, {true, 1}};
    for (const auto& [shift, expected] : tabs) {
        h.key(Key::KEY_TAB, shift);
        EXPECT_EQ(focused(), expected) << shift;
    }
    // A click on the empty part of the name field's box, far right of its text.
    h.touch(fields()[0]->convertToWorldSpace(Vec2(300, fields()[0]->getContentSize().height / 2)));
    EXPECT_EQ(focused(), 0);
    h.key(Key::KEY_ENTER);
    h.advance(0.1f);
    EXPECT_EQ(message(), text("emptywarning"));
    h.key(Key::KEY_TAB);
    h.type("pw");
    h.key(Key::KEY_KP_ENTER);
    answerNow(director.nextSequence() - 1, EVENT_LOGIN, ints({1, 42}));
    GBMatchScene* room = running<GBMatchScene>();
    ASSERT_NE(room, nullptr);
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

TEST_F(KeysTest, EscapeLeavesTheSinglePlayerGameAtOnceAndARunningOnlineGameOnlyAfterAsking) {
    show(DanJiGame::create(0));
    h.key(Key::KEY_ESCAPE);
    EXPECT_NE(running<HelloWorld>(), nullptr);

    director.userId = 7;
    GBNetGame* game = show(GBNetGame::create(7, 9));
    board = game;
    for (const Key answer : {Key::KEY_ESCAPE, Key::KEY_ENTER}) {
        h.key(Key::KEY_ESCAPE);
        ASSERT_TRUE(game->isAskingToLeave());
        EXPECT_NE(h.findText(text("leavequestion")), nullptr);
        h.touch(at(7, 7)); // the board takes no touch while the question is up
        EXPECT_EQ(cell(7, 7), kEmpty);
        h.key(answer);
        if (answer == Key::KEY_ESCAPE) {
            EXPECT_FALSE(game->isAskingToLeave());
            EXPECT_TRUE(game->isPlaying());
        }
    }
    EXPECT_NE(running<GBMatchScene>(), nullptr); // Enter left, with a quit sent

    game = show(GBNetGame::create(7, 9));
    push(EVENT_OPPQUIT, ints({9})); // over: leaving costs nothing now
    h.advance(0.1f);
    h.key(Key::KEY_ESCAPE);
    EXPECT_FALSE(game->isAskingToLeave());
    EXPECT_NE(running<GBMatchScene>(), nullptr);
}

} // namespace
