// Registration, login, a second login's takeover, the slowing down of password guessing, and
// what a restart keeps.

#include "CLMD5.h"
#include "ServerFixture.h"

#include <fstream>
#include <sstream>

namespace {

using namespace std::chrono_literals;

std::string fileBytes(const std::string& path) {
    std::stringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

} // namespace

TEST_F(ServerTest, RegistrationTakesAWellFormedNameOnceWithADigest) {
    auto c = client();
    const std::string digest = md5Hex("pw");
    const struct {
        std::string name, digest;
        int32_t result;
    } cases[] = {
        {"alice", digest, 1},    {"alice", md5Hex("other"), 0}, // taken
        {"Łucja 李", digest, 1}, {"tab\there", digest, 0},
        {"bob", "pw", 0}, // a password, not its digest
        {"bob", digest, 1},
    };
    for (const auto& k : cases) {
        const CLDataBuffer fields = credentials(k.name, k.digest);
        const auto answer = c->request(EVENT_REG, &fields);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->intAt(0), k.result) << k.name << " " << k.digest;
    }
    EXPECT_EQ(ask(*c, EVENT_REG), Ints{0}); // fields missing or of the wrong type
    EXPECT_EQ(ask(*c, EVENT_REG, {1, 2}), Ints{0});
}

TEST_F(ServerTest, LoginAnswersTheIdOnlyForTheRightPasswordAndThenTellsScores) {
    auto c = client();
    ASSERT_EQ(c->registerUser("dora", "right"), 1);
    ASSERT_EQ(c->registerUser("eve", "other"), 1);
    EXPECT_EQ(ask(*c, EVENT_GETUSERINFO, {1}), Ints{0}); // not logged in
    const CLDataBuffer wrong = credentials("dora", md5Hex("wrong"));
    const auto refused = c->request(EVENT_LOGIN, &wrong);
    ASSERT_TRUE(refused);
    EXPECT_EQ(intsOf(*refused), Ints{0});
    EXPECT_EQ(c->login("nobody", "right"), -1);
    const int32_t dora = c->login("dora", "right");
    const int32_t eve = c->login("eve", "other");
    EXPECT_GT(dora, 0);
    EXPECT_GT(eve, 0);
    EXPECT_NE(dora, eve);
    const auto info = c->requestInts(EVENT_GETUSERINFO, {dora});
    ASSERT_TRUE(info);
    EXPECT_EQ(info->fields->stringAt(1).value_or(""), "dora");
    EXPECT_EQ(scoreOf(*c, dora), (Ints{1500, 0, 0, 0}));
    EXPECT_EQ(ask(*c, EVENT_GETUSERINFO, {eve + 100}), Ints{0});
}

TEST_F(ServerTest, ASecondLoginTakesTheAccountOver) {
    Pair p = matchedPair("taken", "opponent");
    ASSERT_TRUE(p.black);
    auto fresh = client();
    EXPECT_EQ(fresh->login(p.blackName, p.blackName + "-secret"), p.blackId);
    const auto left = p.white->waitPush(EVENT_OPPQUIT);
    ASSERT_TRUE(left);
    EXPECT_EQ(left->intAt(0), p.blackId);
    // The old connection is logged out but still answered; the new one plays on.
    EXPECT_EQ(ask(*p.black, EVENT_JOINMATCH), Ints{0});
    EXPECT_EQ(ask(*p.black, EVENT_LOGOUT), Ints{0});
    EXPECT_EQ(ask(*fresh, EVENT_JOINMATCH), Ints{1});
}

TEST_F(ServerTest, RepeatedLoginFailuresAreRefusedForAWhileByNameThenByAddress) {
    auto c = client();
    ASSERT_EQ(c->registerUser("target", "secret"), 1);
    ASSERT_EQ(c->registerUser("bystander", "secret"), 1);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(c->login("target", "guess"), -1);
    }
    EXPECT_EQ(c->login("target", "secret"), -1); // even the right one, for now
    EXPECT_GT(c->login("bystander", "secret"), 0);
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(c->login("name" + std::to_string(i), "guess"), -1);
    }
    EXPECT_EQ(client()->login("bystander", "secret"), -1); // 20 from this address
}

TEST_F(ServerTest, AFinishedGameIsScoredAndKeptWithTheAccountsAcrossARestart) {
    Pair p = matchedPair("keeper", "loser");
    ASSERT_TRUE(p.black);
    for (int i = 0; i < 4; ++i) {
        play(*p.black, *p.white, i, 0);
        play(*p.white, *p.black, i, 1);
    }
    play(*p.black, *p.white, 4, 0, 1, OUTCOME_BLACK_WON);
    expectRefused(*p.white, 4, 1);
    // After the end a quit only answers, and both may join again.
    EXPECT_EQ(ask(*p.white, EVENT_QUITCHESS), Ints{1});
    EXPECT_TRUE(p.black->noPush(EVENT_OPPQUIT, 200ms));
    EXPECT_EQ(ask(*p.black, EVENT_JOINMATCH), Ints{1});
    ASSERT_EQ(client()->registerUser("latecomer", "pw"), 1);
    expectCleanStop(); // at once after the answers: what they announced must be on disk

    const std::string stored =
        fileBytes(server.databasePath()) + fileBytes(server.databasePath() + "-wal");
    EXPECT_NE(stored.find("0,0 0,1 1,0 1,1 2,0 2,1 3,0 3,1 4,0"), std::string::npos); // the moves
    EXPECT_EQ(stored.find(md5Hex("pw")), std::string::npos);
    EXPECT_NE(stored.find("$argon2id$"), std::string::npos);
    ASSERT_TRUE(server.start()) << server.log();
    auto c = client();
    EXPECT_GT(c->login("latecomer", "pw"), 0);
    EXPECT_EQ(scoreOf(*c, p.blackId), (Ints{1516, 1, 0, 0}));
    EXPECT_EQ(scoreOf(*c, p.whiteId), (Ints{1484, 0, 1, 0}));
}
