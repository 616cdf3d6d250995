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

} // namespace
