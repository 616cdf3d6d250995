// A connection's requests are handled one after the other in the order they came, also when one
// waits on the password hashing or the database, and their answers come back in that order.

#include "CLMD5.h"
#include "Packet.h"
#include "ServerFixture.h"

TEST_F(ServerTest, RequestsSentInOneWriteAreHandledAndAnsweredInTheirOrder) {
    const CLDataBuffer ann = credentials("ann", md5Hex("pw")),
                       bob = credentials("bob", md5Hex("pw"));
    CLDataBuffer annId;
    annId.addInt(1); // the first account of a new database
    const struct {
        std::vector<std::pair<int32_t, const CLDataBuffer*>> requests; // sequence numbers 1, 2...
        std::vector<Ints> answers;
    } cases[] = {
        // The login waits for the registration before it: it finds the name.
        {{{EVENT_REG, &ann}, {EVENT_LOGIN, &ann}}, {{1}, {1, 1}}},
        // The user info and the logout wait for the login; the last word is the logout.
        {{{EVENT_REG, &bob},
          {EVENT_LOGIN, &bob},
          {EVENT_GETUSERINFO, &annId},
          {EVENT_LOGOUT, nullptr},
          {EVENT_JOINMATCH, nullptr}},
         {{1}, {1, 2}, {1, -999, 1500, 0, 0, 0}, {1}, {0}}},
    };
    for (const auto& k : cases) {
        std::vector<uint8_t> write;
        for (size_t i = 0; i < k.requests.size(); ++i) {
            const auto packet =
                buildRequestPacket(uint32_t(i + 1), k.requests[i].first, k.requests[i].second);
            write.insert(write.end(), packet.begin(), packet.end());
        }
        auto c = client();
        ASSERT_TRUE(c->sendRaw(write));
        for (size_t i = 0; i < k.answers.size(); ++i) {
            const Message m = c->next().value_or(Message{});
            EXPECT_EQ(std::make_pair(m.code, m.seq),
                      std::make_pair(k.requests[i].first, uint32_t(i + 1)));
            EXPECT_EQ(m.ints(), k.answers[i]) << k.requests[i].first;
        }
    }
    EXPECT_FALSE(logShows("login failed", 1, 0ms)); // nothing counted toward a lock
}
