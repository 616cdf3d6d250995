// Connections that would hold the server's descriptors: those that complete no request before
// they log in, and those over the cap of one address.

#include "ServerFixture.h"

TEST_F(ServerTest, ConnectionsThatCompleteNoRequestBeforeLoginAreClosedAfterTheLimit) {
    expectCleanStop();
    ASSERT_TRUE(server.start({"--idle-seconds", "1"})) << server.log();
    auto player = client("player");
    auto silent = client();
    TestClient partial(server.port());
    ASSERT_TRUE(partial.sendRaw({0, 0, 0, 12, 0, 0})); // half a request completes none
    EXPECT_TRUE(silent->closedByServer());
    EXPECT_TRUE(partial.closedByServer());
    expectServed(*player); // quiet for longer than the limit, but logged in
}

TEST_F(ServerTest, ConnectionsOverTheCapOfAnAddressAreClosedAtOnce) {
    expectCleanStop();
    ASSERT_TRUE(server.start({"--connections-per-address", "3"})) << server.log();
    auto player = client("player");
    auto quiet = client(), quiet2 = client();
    TestClient over(server.port());
    EXPECT_TRUE(over.closedByServer()); // long before the idle limit of 60 s
    expectServed(*player);
    quiet->disconnect();
    ASSERT_TRUE(server.logShows("closed: by the client"));
    EXPECT_EQ(client()->registerUser("late", "pw"), 1); // room again
}
