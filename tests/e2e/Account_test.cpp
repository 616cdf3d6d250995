// Registering, logging in and out against the real server, the form messages it causes, and a
// server that goes away and comes back while the client keeps running.

#include "E2EFixture.h"
#include "GBLoginScene.h"
#include "GBMatchScene.h"
#include "GBRegistScene.h"

USING_NS_CC;
using namespace std::chrono_literals;

namespace {

TEST_F(E2ETest, ANameRegisteredByTypingIsFilledInAtLoginAndLogsIn) {
    ASSERT_TRUE(openLogin());
    ASSERT_TRUE(tap("images/regist.png"));
    ASSERT_NE(reach<GBRegistScene>(), nullptr);
    std::vector<ui::TextField*> form = fields();
    ASSERT_EQ(form.size(), 3u);
    fill(form[0], "newcomer");
    fill(form[1], "s3cret!");
    fill(form[2], "s3cret!");
    ASSERT_TRUE(tap("images/regist.png"));

    ASSERT_NE(reach<GBLoginScene>(), nullptr);
    form = fields();
    ASSERT_EQ(form.size(), 2u);
    EXPECT_EQ(EngineHarness::textOf(form[0]), "newcomer");
    EXPECT_EQ(EngineHarness::textOf(form[1]), "*******");
    EXPECT_EQ(form[1]->getString(), "s3cret!");
    EXPECT_EQ(director->userId, -1); // registered, not logged in

    ASSERT_TRUE(tap("images/login.png"));
    ASSERT_NE(reach<GBMatchScene>(), nullptr);
    // The id the client plays under is the server's id of that name.
    int32_t botId = 0;
    auto bot = newBot("witness", botId);
    const auto info = bot->requestInts(EVENT_GETUSERINFO, {director->userId});
    ASSERT_TRUE(info && info->count() == 6u);
    EXPECT_EQ(info->fields->stringAt(1).value_or(""), "newcomer");
}

TEST_F(E2ETest, FormMessagesForEmptyFieldsDifferentPasswordsWrongPasswordAndTakenName) {
    makeAccount("erin");
    struct Case {
        bool registering;
        std::vector<std::string> typed;
        const char* key;
    };
    const Case cases[] = {
        {false, {"erin", ""}, "emptywarning"},
        {true, {"", "pw", "pw"}, "emptywarning"},
        {true, {"erin", "one", "two"}, "passwordwarning"},
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
        ASSERT_EQ(form.size(), c.typed.size());
        for (size_t i = 0; i < form.size(); ++i) {
            fill(form[i], c.typed[i]);
        }
        ASSERT_TRUE(tap(c.registering ? "images/regist.png" : "images/login.png"));
        const std::string expected = text(c.key);
        EXPECT_TRUE(until([&] { return message() == expected; })) << message();
        // The form stays, as typed.
        EXPECT_EQ(fields(), form);
        EXPECT_EQ(form[0]->getString(), c.typed[0]);
        if (c.registering) {
            ASSERT_TRUE(tap("images/back.png"));
            ASSERT_NE(reach<GBLoginScene>(), nullptr);
        }
    }
    EXPECT_EQ(director->userId, -1);
}

TEST_F(E2ETest, ServerDownShowsTheNetworkErrorAndTheNextLoginAfterItsReturnWorks) {
    makeAccount("dora");
    const unsigned short port = server.port();
    server.stop();
    ASSERT_TRUE(openLogin());
    const std::vector<ui::TextField*> form = fields();
    ASSERT_EQ(form.size(), 2u);
    fill(form[0], "dora");
    fill(form[1], "dora-secret");
    ASSERT_TRUE(tap("images/login.png"));
    const std::string neterror = text("neterror");
    EXPECT_TRUE(until([&] { return message() == neterror; })) << message();
    EXPECT_NE(current<GBLoginScene>(), nullptr);

    // Back on the same port and database; a later --listen overrides the ephemeral one.
    std::vector<std::string> options = serverOptions();
    options.insert(options.end(), {"--listen", "127.0.0.1:" + std::to_string(port)});
    ASSERT_TRUE(server.start(options)) << server.log();
    ASSERT_EQ(server.port(), port);
    ASSERT_TRUE(tap("images/login.png"));
    EXPECT_NE(reach<GBMatchScene>(), nullptr);
    EXPECT_GT(director->userId, 0);
}

TEST_F(E2ETest, MatchSceneBackLogsOutEvenWhileWaitingAndShowsTheLoginScene) {
    GBMatchScene* scene = enter("fred");
    ASSERT_NE(scene, nullptr);
    ASSERT_TRUE(tap("images/joinmatch.png"));
    ASSERT_TRUE(until([&] { return scene->isWaiting(); }));
    // Nothing of the game listens for the logout's answer: this test does.
    int logoutResult = -1;
    director->addListener("gb_event_logout", [&](const ResponseDataPack& pack) {
        logoutResult = pack.response ? pack.response->intAt(0).value_or(-2) : -3;
    });

    ASSERT_TRUE(tap("images/back.png"));
    ASSERT_NE(reach<GBLoginScene>(), nullptr);
    EXPECT_TRUE(until([&] { return logoutResult != -1; }));
    EXPECT_EQ(logoutResult, 1);
    const std::vector<ui::TextField*> form = fields();
    ASSERT_EQ(form.size(), 2u);
    EXPECT_EQ(form[0]->getString(), "fred");
    EXPECT_EQ(form[1]->getString(), "fred-secret");
    // Logged out, the client no longer waits: a bot that joins finds nobody (a match is pushed
    // before the join is answered).
    int32_t botId = 0;
    auto bot = newBot("gina", botId);
    EXPECT_EQ(bot->request(EVENT_JOINMATCH)->intAt(0), 1);
    EXPECT_TRUE(bot->noPush(EVENT_MATCHRES, 0ms));
    director->removeListeners("gb_event_logout");
}

} // namespace
