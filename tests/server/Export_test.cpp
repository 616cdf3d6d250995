// koralith-server --export-games: the finished games as SGF files, read back, also from the
// database of a running server: its last commits still in the write-ahead log, the write lock
// held.

#include "AccountStore.h"
#include "Database.h"
#include "ServerProcess.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace fs = std::filesystem;

TEST(GameExport, WritesEachGameOnceWithItsNamesResultAndDateUnderNamesInEndOrder) {
    ServerProcess server; // for its folder, database path and runs; never started
    const std::string db = server.databasePath(), out = db + "-records/new";
    std::string output;
    EXPECT_EQ(server.runToExit({"--db", db, "--export-games", out}, output), 1);
    EXPECT_NE(output.find("no such file"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists(db) || fs::exists(out));

    std::string error;
    auto store = AccountStore::open(db, error);
    ASSERT_TRUE(store) << error;
    int32_t a = 0, c = 0, l = 0;
    ASSERT_EQ(store->addUser("a]b", "s", a), AccountStore::AddResult::Added);
    ASSERT_EQ(store->addUser("c\\d", "s", c), AccountStore::AddResult::Added);
    ASSERT_EQ(store->addUser("Łucja", "s", l), AccountStore::AddResult::Added);
    // 2026-12-06 23:40:00, 2026-12-06 23:59:59, 2026-12-07 01:42:33, 2027-01-01 00:00:00 UTC.
    const std::time_t t0 = 1796600400, t1 = 1796601599, t2 = 1796607753, t3 = 1798761600;
    struct Case {
        int32_t black, white, outcome;
        GameEnd reason;
        std::time_t started, ended;
        std::string file, written; // the players, the date and the result, as written
    } cases[] = {
        {a, c, 0, GameEnd::Five, t1, t2, "20261207-0142-000001",
         "PB[a\\]b]PW[c\\\\d]\nDT[2026-12-06]RE[B+]\n;B[ao];W[aa];B[bo];W[bb];B[co]"},
        {c, l, 2, GameEnd::Full, t0, t1, "20261206-2359-000002",
         "PB[c\\\\d]PW[Łucja]\nDT[2026-12-06]RE[0]"},
        {l, a, 1, GameEnd::Quit, t2, t3, "20270101-0000-000003",
         "PB[Łucja]PW[a\\]b]\nDT[2026-12-07]RE[W+R]"},
        {a, l, 0, GameEnd::Quit, t2, t2, "20261207-0142-000004",
         "PB[a\\]b]PW[Łucja]\nDT[2026-12-07]RE[B+R]"},
        {a, l, 0, GameEnd::Time, t2, t2, "20261207-0142-000005",
         "PB[a\\]b]PW[Łucja]\nDT[2026-12-07]RE[B+T]"},
        {a, l, 1, GameEnd::Time, t2, t2, "20261207-0142-000006",
         "PB[a\\]b]PW[Łucja]\nDT[2026-12-07]RE[W+T]"},
        {a, l, 1, GameEnd::Five, t2, t2, "20261207-0142-000007",
         "PB[a\\]b]PW[Łucja]\nDT[2026-12-07]RE[W+]"},
    };
    // The first game's moves. Our y counts up from the bottom, the file's rows down from the top.
    const std::vector<GameMove> moves = {{0, 0}, {0, 14}, {1, 0}, {1, 13}, {2, 0}};
    for (const Case& k : cases) {
        ASSERT_TRUE(
            store->recordGame({k.black, k.white, k.outcome, k.reason,
                               &k == cases ? moves : std::vector<GameMove>{}, k.started, k.ended}));
    }
    {
        Database lock(db); // an export that wrote anything would wait on it and then fail
        ASSERT_TRUE(lock.run("BEGIN IMMEDIATE"));
        ASSERT_EQ(server.runToExit({"--db", db, "--export-games", out}, output), 0) << output;
    }
    EXPECT_EQ(output, "7 games written to " + out + ", 0 already there\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(out), {}), 7); // the files below, no other
    for (const Case& k : cases) {
        EXPECT_EQ(fileText(out + "/" + k.file + ".sgf"),
                  "(;FF[4]GM[4]SZ[15]CA[UTF-8]AP[Koralith:" KORALITH_VERSION "]\n" + k.written +
                      "\n)\n");
    }

    // Again: what is there stays, even when changed; what went missing comes back.
    const std::string changed = out + "/20261207-0142-000001.sgf";
    std::ofstream(changed) << "kept";
    fs::remove(out + "/20270101-0000-000003.sgf");
    ASSERT_EQ(server.runToExit({"--db", db, "--export-games", out}, output), 0);
    EXPECT_EQ(output, "1 game written to " + out + ", 6 already there\n");
    EXPECT_EQ(fileText(changed), "kept");

    // A database of an older layout is refused as it is: not brought up to date.
    ASSERT_TRUE(Database(db).run("UPDATE schema_version SET version = 1"));
    EXPECT_EQ(server.runToExit({"--db", db, "--export-games", out + "2"}, output), 1);
    EXPECT_NE(output.find("schema version 1"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists(out + "2"));
}
