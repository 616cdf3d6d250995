// One account per name whatever its case, width, composition or letters that only look alike,
// also in a database from before those rules, whose accounts all keep working.

#include "Database.h"
#include "ServerFixture.h"

#include <filesystem>

// A database as the first schema version left it, with names that are no longer registered:
// "alice" and "аlice" (a Cyrillic а) side by side, and "bob" with a right-to-left override.
// Their passwords are "old-one", "old-two" and "old-three" (argon2id of the digests, at the
// lowest cost). The second version added a key that told the first two apart.
const std::string kVersion1Database =
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
    " (2, '\u0430lice', '$argon2id$v=19$m=8,t=1,p=1$OiacI00/kQn7GKJxy4HFvw$"
    "I0arIjDfjrKx3lffcX0Kem+KbcSLOooHmUI1+LDi/rQ', '2024-01-01 00:00:00Z'),"
    " (3, 'bob\u202E', '$argon2id$v=19$m=8,t=1,p=1$IzLVfZ99oNi5EaekKrEw/Q$"
    "627wv0Y5Lp35vS6oM6JqOUiMWEitsKKRdEJSiCVPzZw', '2024-01-01 00:00:00Z');";
const std::string kToVersion2 =
    "ALTER TABLE users ADD COLUMN name_key TEXT; UPDATE users SET name_key = lower(name);"
    "CREATE UNIQUE INDEX users_name_key ON users(name_key); UPDATE schema_version SET version = 2;";

TEST_F(ServerTest, NamesThatLookAlikeAreOneNameAndOlderAccountsKeepWorking) {
    auto c = client();
    EXPECT_EQ(c->registerUser("Łucja", "pw"), 1);
    for (const char* same : {"ŁUCJA", "łucja", "\u0141ucja"}) {
        EXPECT_EQ(c->registerUser(same, "pw"), 0) << same;
    }
    EXPECT_EQ(c->login("łucja", "pw"), -1); // a login names the account exactly

    for (const std::string& old : {kVersion1Database, kVersion1Database + kToVersion2}) {
        expectCleanStop();
        for (const char* suffix : {"", "-wal", "-shm"}) {
            std::filesystem::remove(server.databasePath() + suffix);
        }
        ASSERT_TRUE(Database(server.databasePath()).run(old));
        ASSERT_TRUE(server.start()) << server.log();
        c = client();
        EXPECT_EQ(c->login("alice", "old-one"), 1);
        EXPECT_EQ(c->login("\u0430lice", "old-two"), 2);
        EXPECT_EQ(c->login("bob\u202E", "old-three"), 3);
        EXPECT_EQ(c->registerUser("\u0251lice", "pw"), 0); // a Latin alpha
        EXPECT_EQ(c->registerUser("dave", "pw"), 1);
        EXPECT_EQ(c->registerUser("DAVE", "pw"), 0);
        EXPECT_TRUE(server.logShows("login bob\\u{202e} (id 3) on connection"));
        EXPECT_EQ(server.log().find("\u202E"), std::string::npos);
    }
}
