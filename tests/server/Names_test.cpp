// One account per name whatever the case of its ASCII letters, also in a database from before
// that rule, whose accounts all keep working.

#include "Database.h"
#include "ServerFixture.h"

#include <filesystem>

// A database as the first schema version left it, with names that are no longer registered:
// "alice" and "ALICE" side by side, and "bob " with a trailing blank. Their passwords are
// "old-one", "old-two" and "old-three" (argon2id of the digests, at the lowest cost).
const char* const kVersion1Database =
    "CREATE TABLE schema_version (version INTEGER NOT NULL);"
    "INSERT INTO schema_version (version) VALUES (1);"
    "CREATE TABLE users (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE,"
    " secret TEXT NOT NULL, score INTEGER NOT NULL DEFAULT 1500,"
    " wins INTEGER NOT NULL DEFAULT 0, losses INTEGER NOT NULL DEFAULT 0,"
    " draws INTEGER NOT NULL DEFAULT 0, created TEXT NOT NULL);"
    "CREATE TABLE games (id INTEGER PRIMARY KEY, black INTEGER NOT NULL REFERENCES users(id),"
    " white INTEGER NOT NULL REFERENCES users(id),"
    " outcome INTEGER NOT NULL CHECK (outcome IN (0, 1, 2)),"
    " reason TEXT NOT NULL CHECK (reason IN ('five', 'full', 'time', 'quit')),"
    " moves TEXT NOT NULL, started TEXT NOT NULL, ended TEXT NOT NULL);"
    "CREATE INDEX games_black ON games(black);"
    "CREATE INDEX games_white ON games(white);"
    "INSERT INTO users (id, name, secret, created) VALUES"
    " (1, 'alice', '$argon2id$v=19$m=8,t=1,p=1$deG4w8mLB2rEbwrpX/aQtw$"
    "mrdL3fAM08WYzJIGyvHKih/75T2cJ+CuB2XFtmk1dUE', '2024-01-01 00:00:00Z'),"
    " (2, 'ALICE', '$argon2id$v=19$m=8,t=1,p=1$OiacI00/kQn7GKJxy4HFvw$"
    "I0arIjDfjrKx3lffcX0Kem+KbcSLOooHmUI1+LDi/rQ', '2024-01-01 00:00:00Z'),"
    " (3, 'bob ', '$argon2id$v=19$m=8,t=1,p=1$IzLVfZ99oNi5EaekKrEw/Q$"
    "627wv0Y5Lp35vS6oM6JqOUiMWEitsKKRdEJSiCVPzZw', '2024-01-01 00:00:00Z');";

TEST_F(ServerTest, NamesDifferingOnlyInAsciiCaseAreOneNameAndOlderAccountsKeepWorking) {
    auto c = client();
    EXPECT_EQ(c->registerUser("carol", "pw"), 1);
    for (const char* same : {"CAROL", "Carol", "carOL"}) {
        EXPECT_EQ(c->registerUser(same, "pw"), 0) << same;
    }
    EXPECT_EQ(c->login("Carol", "pw"), -1); // a login names the account exactly
    EXPECT_EQ(c->registerUser("Łucja", "pw"), 1);
    EXPECT_EQ(c->registerUser("łucja", "pw"), 1); // letters beyond ASCII keep their case

    expectCleanStop();
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::filesystem::remove(server.databasePath() + suffix);
    }
    ASSERT_TRUE(Database(server.databasePath()).run(kVersion1Database));
    ASSERT_TRUE(server.start()) << server.log();
    c = client();
    EXPECT_EQ(c->login("alice", "old-one"), 1);
    EXPECT_EQ(c->login("ALICE", "old-two"), 2);
    EXPECT_EQ(c->login("bob ", "old-three"), 3);
    EXPECT_EQ(c->registerUser("Alice", "pw"), 0);
    EXPECT_EQ(c->registerUser("dave", "pw"), 1);
    EXPECT_EQ(c->registerUser("DAVE", "pw"), 0);
}
