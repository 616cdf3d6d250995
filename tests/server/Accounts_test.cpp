// Registration, login, takeover by a second login, and the slowing down of password guessing.

#include "CLMD5.h"
#include "ServerFixture.h"

namespace {

using namespace std::chrono_literals;

int32_t registerWith(TestClient& c, const std::string& name, const std::string& digest) {
    const CLDataBuffer fields = credentials(name, digest);
    const auto answer = c.request(EVENT_REG, &fields);
    return answer ? answer->intAt(0) : -1;
}

} // namespace

TEST_F(ServerTest, RegistrationAcceptsGoodNamesOnce) {
    auto c = client();
    EXPECT_EQ(c->registerUser("alice", "pw"), 1);
    EXPECT_EQ(c->registerUser("alice", "other"), 0); // taken
    EXPECT_EQ(c->registerUser("Łucja 李", "pw"), 1); // UTF-8
    EXPECT_EQ(c->registerUser(std::string(32, 'n'), "pw"), 1);
    EXPECT_EQ(c->registerUser(std::string(33, 'n'), "pw"), 0);
    EXPECT_EQ(c->registerUser("", "pw"), 0);
    EXPECT_EQ(c->registerUser("tab\there", "pw"), 0);
    EXPECT_EQ(c->registerUser("bad\xC3", "pw"), 0);

    const std::string digest = md5Hex("pw");
    std::string upper = digest;
    for (char& ch : upper) {
        ch = char(toupper(ch));
    }
    ASSERT_NE(upper, digest);
    EXPECT_EQ(registerWith(*c, "bob", upper), 0);
    EXPECT_EQ(registerWith(*c, "bob", digest.substr(0, 31)), 0);
    EXPECT_EQ(registerWith(*c, "bob", "pw"), 0); // a plain password is not a digest
    EXPECT_EQ(registerWith(*c, "bob", digest), 1);

    // Fields missing or of the wrong type are refused in the same form.
    const auto bare = c->request(EVENT_REG);
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->intAt(0), 0);
    const auto ints = c->requestInts(EVENT_REG, {1, 2});
    EXPECT_EQ(ints->intAt(0), 0);
}

TEST_F(ServerTest, LoginAnswersTheIdOnlyForTheRightPassword) {
    auto c = client();
    ASSERT_EQ(c->registerUser("dora", "right"), 1);
    ASSERT_EQ(c->registerUser("eve", "other"), 1);
    EXPECT_EQ(c->login("dora", "wrong"), -1);
    EXPECT_EQ(c->login("nobody", "right"), -1);
    const int32_t dora = c->login("dora", "right");
    EXPECT_GT(dora, 0);
    const int32_t eve = c->login("eve", "other");
    EXPECT_GT(eve, 0);
    EXPECT_NE(dora, eve);
    // The refusal is a single field, the success two.
    const CLDataBuffer wrong = credentials("dora", md5Hex("wrong"));
    const auto refused = c->request(EVENT_LOGIN, &wrong);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->count(), 1u);
    EXPECT_EQ(refused->intAt(0), 0);
}

TEST_F(ServerTest, ASecondLoginTakesTheAccountOver) {
    Pair p = matchedPair("taken", "opponent");
    ASSERT_TRUE(p.black && p.white);
    TestClient* old = p.black.get();
    auto fresh = client();
    std::string takenName = "taken";
    // Whoever got black: log in again as that account elsewhere.
    const auto info = old->requestInts(EVENT_GETUSERINFO, {p.blackId});
    ASSERT_TRUE(info && info->count() == 6u);
    takenName = info->fields->stringAt(1).value_or("");
    EXPECT_EQ(fresh->login(takenName, takenName + "-secret"), p.blackId);

    const auto left = p.white->waitPush(EVENT_OPPQUIT);
    ASSERT_TRUE(left);
    EXPECT_EQ(left->intAt(0), p.blackId);
    // The old connection is logged out but still answered; the new one plays on.
    EXPECT_EQ(old->request(EVENT_JOINMATCH)->intAt(0), 0);
    EXPECT_EQ(old->request(EVENT_LOGOUT)->intAt(0), 0);
    EXPECT_EQ(fresh->request(EVENT_JOINMATCH)->intAt(0), 1);
}

TEST_F(ServerTest, RepeatedFailuresForOneNameAreRefusedForAWhile) {
    auto c = client();
    ASSERT_EQ(c->registerUser("target", "secret"), 1);
    ASSERT_EQ(c->registerUser("bystander", "secret"), 1);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(c->login("target", "guess" + std::to_string(i)), -1);
    }
    EXPECT_EQ(c->login("target", "secret"), -1); // even the right one, for now
    EXPECT_GT(c->login("bystander", "secret"), 0);
}

TEST_F(ServerTest, RepeatedFailuresFromOneAddressAreRefusedForAWhile) {
    auto c = client();
    ASSERT_EQ(c->registerUser("victim", "secret"), 1);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(c->login("name" + std::to_string(i), "guess"), -1);
    }
    auto other = client(); // same address, another connection
    EXPECT_EQ(other->login("victim", "secret"), -1);
}
