// A connection's requests are handled one after the other in the order they came, also when one
// waits on the password hashing or the database, and their answers come back in that order.

#include "CLMD5.h"
#include "Packet.h"
#include "ServerFixture.h"

TEST_F(ServerTest, RequestsSentInOneWriteAreHandledAndAnsweredInTheirOrder) {
    const CLDataBuffer bob = credentials("bob", md5Hex("pw")), bobId = ints({1}); // the first id
    // The login waits for the registration before it, and finds the name; the user info and the
    // logout wait for the login; the last word is the logout.
    const std::pair<int32_t, const CLDataBuffer*> requests[] = {{EVENT_REG, &bob},
                                                                {EVENT_LOGIN, &bob},
                                                                {EVENT_GETUSERINFO, &bobId},
                                                                {EVENT_LOGOUT, nullptr},
                                                                {EVENT_JOINMATCH, nullptr}};
    const Ints answers[] = {{1}, {1, 1}, {1, -999, 1500, 0, 0, 0}, {1}, {0}};
    std::vector<uint8_t> write;
    for (size_t i = 0; i < std::size(requests); ++i) { // sequence numbers 1, 2...
        const auto packet =
            buildRequestPacket(uint32_t(i + 1), requests[i].first, requests[i].second);
        write.insert(write.end(), packet.begin(), packet.end());
    }
    auto c = client();
    ASSERT_TRUE(c->sendRaw(write));
    for (size_t i = 0; i < std::size(requests); ++i) {
        const Message m = c->next().value_or(Message{});
        EXPECT_EQ(std::make_pair(m.code, m.seq),
                  std::make_pair(requests[i].first, uint32_t(i + 1)));
        EXPECT_EQ(m.ints(), answers[i]) << requests[i].first;
    }
    EXPECT_FALSE(server.logShows("login failed", 1, 0)); // nothing counted toward a lock
}
