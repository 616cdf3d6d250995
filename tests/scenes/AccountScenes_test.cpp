// The login and registration forms: what each press sends or refuses to send, how each answer
// is shown, what is remembered, and where the forms lead.

#include "EventCodes.h"
#include "GBLoginScene.h"
#include "GBMatchScene.h"
#include "GBRegistScene.h"
#include "HelloWorld.h"
#include "SceneFixture.h"

USING_NS_CC;

namespace {

class FormTest : public SceneFixture {
protected:
    std::vector<ui::TextField*> fields() {
        std::vector<ui::TextField*> out;
        for (Node* n : h.allNodes()) {
            if (auto* f = dynamic_cast<ui::TextField*>(n)) {
                out.push_back(f);
            }
        }
        return out;
    }
    ui::Button* button(const char* image) {
        return h.find<ui::Button>([&](ui::Button* b) { return b->getNormalFile() == image; });
    }
    void fill(const std::vector<std::string>& texts) {
        const auto all = fields();
        for (size_t i = 0; i < texts.size() && i < all.size(); ++i) {
            typeInto(all[i], texts[i]);
        }
    }
    std::string stored(const char* key) { return UserDefault::getInstance()->getStringForKey(key); }
    CLDataBuffer loggedIn(int32_t id) { return ints({1, id}); }
};

TEST_F(FormTest, LoginFormIsLaidOutAndFilledFromTheSettings) {
    UserDefault::getInstance()->setStringForKey("username", "alice");
    UserDefault::getInstance()->setStringForKey("password", "secret");
    show(GBLoginScene::create());
    const auto f = fields();
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0]->getPosition(), Vec2(188, 919.52f));
    EXPECT_EQ(f[1]->getPosition(), Vec2(188, 819.52f));
    EXPECT_EQ(EngineHarness::textOf(f[0]), "alice");
    EXPECT_EQ(f[1]->getString(), "secret");
    EXPECT_EQ(EngineHarness::textOf(f[1]), std::string(6, '*'));
    EXPECT_NE(h.findText(text("username") + ":"), nullptr);
    EXPECT_EQ(message(), "");
}

TEST_F(FormTest, LoginAnswersAreShownAndOnlySuccessRemembersAndMovesOn) {
    struct Case {
        const char* what;
        bool networkFails;
        CLDataBuffer fields;
        const char* shown;
    };
    Case cases[] = {
        {"refused", false, ints({0}), "loginfailed"},
        {"success without an id", false, ints({1}), "loginfailed"},
        {"no fields at all", false, CLDataBuffer(), "loginfailed"},
        {"the network failed", true, CLDataBuffer(), "neterror"},
    };
    uint32_t seq = 0;
    show(GBLoginScene::create());
    fill({"  bob ", "pw"});
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        h.tap(button("images/login.png"));
        if (c.networkFails) {
            failNow(seq, EVENT_LOGIN);
        } else {
            answerNow(seq, EVENT_LOGIN, c.fields);
        }
        ++seq;
        EXPECT_EQ(message(), text(c.shown));
        EXPECT_EQ(stored("username"), "");
        EXPECT_EQ(director.userId, -1);
    }
    ui::Text* line = messageLine(); // the scene slides away with its message showing
    h.tap(button("images/login.png"));
    answerNow(seq, EVENT_LOGIN, loggedIn(42));
    EXPECT_EQ(line->getString(), text("loginsucceed"));
    EXPECT_EQ(director.userId, 42);
    EXPECT_EQ(stored("username"), "  bob "); // as typed, blanks and all
    EXPECT_EQ(stored("password"), "pw");     // the plain text, not its digest
    EXPECT_NE(running<GBMatchScene>(), nullptr);
}

TEST_F(FormTest, AnEmptyFieldSendsNothing) {
    show(GBLoginScene::create());
    for (const std::vector<std::string>& typed :
         {std::vector<std::string>{"", "pw"}, std::vector<std::string>{"bob", ""}}) {
        for (ui::TextField* f : fields()) {
            f->setString("");
        }
        fill(typed);
        h.tap(button("images/login.png"));
        EXPECT_EQ(message(), text("emptywarning"));
    }
    // Nothing went out: the first request to leave carries sequence number 0.
    fill({"bob", "pw"});
    h.tap(button("images/login.png"));
    answerNow(0, EVENT_LOGIN, loggedIn(5));
    EXPECT_EQ(director.userId, 5);
}

TEST_F(FormTest, RegistrationChecksThePasswordsFirstThenTheEmptyFields) {
    struct Case {
        std::vector<std::string> typed; // name, password, confirmation
        const char* shown;
    };
    const Case cases[] = {
        {{"", "", ""}, "emptywarning"},
        {{"bob", "", "pw"}, "passwordwarning"},
        {{"bob", "pw", "pw "}, "passwordwarning"},
        {{"", "pw", "pw"}, "emptywarning"},
    };
    show(GBRegistScene::create());
    for (const Case& c : cases) {
        for (ui::TextField* f : fields()) {
            f->setString("");
        }
        fill(c.typed);
        h.tap(button("images/regist.png"));
        EXPECT_EQ(message(), text(c.shown));
    }
}

TEST_F(FormTest, RegistrationAnswersAndTheWayBackToAFilledLoginForm) {
    show(GBRegistScene::create());
    fill({"carol", "pw1", "pw1"});
    h.tap(button("images/regist.png"));
    answerNow(0, EVENT_REG, ints({0}));
    EXPECT_EQ(message(), text("regfailed"));
    h.tap(button("images/regist.png"));
    failNow(1, EVENT_REG);
    EXPECT_EQ(message(), text("neterror"));
    EXPECT_EQ(stored("username"), "");

    ui::Text* line = messageLine();
    h.tap(button("images/regist.png"));
    answerNow(2, EVENT_REG, ints({1}));
    EXPECT_EQ(line->getString(), text("regsucceed"));
    EXPECT_EQ(director.userId, -1); // registering is not logging in
    ASSERT_NE(running<GBLoginScene>(), nullptr);
    const auto f = fields();
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0]->getString(), "carol");
    EXPECT_EQ(EngineHarness::textOf(f[1]), "***");
}

TEST_F(FormTest, EveryWayOutGivesItsListenerBack) {
    struct Case {
        Layer* (*make)();
        const char* button;
        const char* event;
    };
    const Case cases[] = {
        {[]() -> Layer* { return GBLoginScene::create(); }, "images/regist.png", "gb_event_login"},
        {[]() -> Layer* { return GBLoginScene::create(); }, "images/back.png", "gb_event_login"},
        {[]() -> Layer* { return GBRegistScene::create(); }, "images/back.png", "gb_event_reg"},
    };
    for (const Case& c : cases) {
        show(c.make());
        h.tap(button(c.button));
        h.advance(0.6f);
        EXPECT_TRUE(director.addListener(c.event, [](const ResponseDataPack&) {})) << c.event;
        // The scene slid to holds its own listener; the next case replaces it without asking.
        for (const char* name : {"gb_event_login", "gb_event_reg", "gb_event_getnotice"}) {
            director.removeListeners(name);
        }
    }
}

} // namespace
