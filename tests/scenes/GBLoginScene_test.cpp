// The login form with answers fed to the director: what the real server never sends (an answer
// without an id or without fields), a login that cannot go out, and the name a success
// remembers, blanks and all.

#include "EventCodes.h"
#include "GBLoginScene.h"
#include "GBMatchScene.h"
#include "SceneFixture.h"

USING_NS_CC;

namespace {

using GBLoginSceneTest = SceneFixture;

TEST_F(GBLoginSceneTest, LoginAnswersWithoutAnIdAreRefusalsAndASuccessKeepsTheNameAsTyped) {
    show(GBLoginScene::create());
    const std::vector<ui::TextField*> fields = screen::all<ui::TextField>(h);
    h.tap(fields[0]);
    h.type("  bob ");
    h.tap(fields[1]);
    h.type("pw");
    const CLDataBuffer refusals[] = {ints({1}), CLDataBuffer()};
    uint32_t seq = 0;
    for (const CLDataBuffer& refusal : refusals) {
        h.tap(button("images/login.png"));
        answerNow(seq++, EVENT_LOGIN, refusal);
        EXPECT_EQ(message(), text("loginfailed"));
        EXPECT_EQ(director.userId, -1);
    }
    h.tap(button("images/login.png")); // with no server to take it
    handBack(director, CLNetworkModule::SEND_NOT_CONNECTED, seq++, EVENT_LOGIN);
    h.advance(0.1f);
    EXPECT_EQ(message(), text("neterror"));
    EXPECT_EQ(UserDefault::getInstance()->getStringForKey("username"), "");

    ui::Text* line = screen::messageLine(h); // the scene slides away with its message showing
    h.tap(button("images/login.png"));
    answerNow(seq, EVENT_LOGIN, ints({1, 42}));
    EXPECT_EQ(line->getString(), text("loginsucceed"));
    EXPECT_EQ(director.userId, 42);
    EXPECT_EQ(UserDefault::getInstance()->getStringForKey("username"), "  bob "); // blanks too
    EXPECT_NE(running<GBMatchScene>(), nullptr);
}

} // namespace
