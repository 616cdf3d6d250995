// The login and registration forms against the real server: each refusal and the message it
// shows, and a name registered by typing that then logs in.

#include "E2EFixture.h"
#include "GBRegistScene.h"

USING_NS_CC;

namespace {

using FormsTest = E2ETest;

TEST_F(FormsTest, FormsShowEachRefusalAndANameRegisteredByTypingIsFilledInAndLogsIn) {
    makeAccount("erin");
    struct Case {
        bool registering;
        std::vector<std::string> typed;
        const char* key;
    };
    const Case cases[] = {
        {false, {"erin", ""}, "emptywarning"},
        {true, {"", "pw", "pw"}, "emptywarning"},
        {true, {"erin", "pw", "pw "}, "passwordwarning"},
        {true, {"erin", "", "pw"}, "passwordwarning"}, // compared before the empty check
        {false, {"erin", "wrong"}, "loginfailed"},
        {true, {"erin", "pw", "pw"}, "regfailed"},
        {true, {std::string(33, 'n'), "pw", "pw"}, "regfailed"}, // longer than the server keeps
    };
    ASSERT_TRUE(openLogin());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        if (c.registering) {
            ASSERT_TRUE(tap("images/regist.png"));
            ASSERT_NE(reach<GBRegistScene>(), nullptr);
        }
        const std::vector<ui::TextField*> form = fields();
        ASSERT_TRUE(submit(c.typed, c.registering ? "images/regist.png" : "images/login.png"));
        const std::string expected = text(c.key);
        EXPECT_TRUE(until([&] { return message() == expected; })) << message();
        EXPECT_EQ(fields(), form); // the form stays, as typed
        EXPECT_EQ(form[0]->getString(), c.typed[0]);
        if (c.registering) {
            ASSERT_TRUE(tap("images/back.png"));
            ASSERT_NE(reach<GBLoginScene>(), nullptr);
        }
    }

    ASSERT_TRUE(tap("images/regist.png"));
    ASSERT_NE(reach<GBRegistScene>(), nullptr);
    ASSERT_TRUE(submit({"newcomer", "s3cret!", "s3cret!"}, "images/regist.png"));
    ASSERT_NE(reach<GBLoginScene>(), nullptr);
    const std::vector<ui::TextField*> form = fields();
    ASSERT_EQ(form.size(), 2u);
    EXPECT_EQ(EngineHarness::textOf(form[0]), "newcomer");
    EXPECT_EQ(EngineHarness::textOf(form[1]), "*******");
    EXPECT_EQ(form[1]->getString(), "s3cret!");
    EXPECT_EQ(director->userId, -1); // registered, not logged in
    ASSERT_TRUE(tap("images/login.png"));
    ASSERT_NE(reach<GBMatchScene>(), nullptr);
    // The client plays under the server's id of that name.
    EXPECT_EQ(TestClient(server.port()).login("newcomer", "s3cret!"), director->userId);
}

} // namespace
