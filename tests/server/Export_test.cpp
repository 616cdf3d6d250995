// koralith-server --export-games: the finished games as SGF files, read back, and an export from
// the database of a running server, which goes on as if nothing happened.

#include "AccountStore.h"
#include "ServerFixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sqlite3.h>

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// A one-line SGF game tree: the root's properties, and each later node's as one string
// ("Bhh"), values unescaped. Empty when the text is not one such tree.
struct Sgf {
    std::map<std::string, std::string> root;
    Strings moves;
};
Sgf readSgf(const std::string& text) {
    Sgf sgf;
    if (text.size() < 4 || text.compare(0, 2, "(;") != 0 ||
        text.compare(text.size() - 2, 2, ")\n") != 0) {
        return sgf;
    }
    std::string ident;
    for (size_t i = 2, node = 0; i < text.size(); ++i) {
        if (text[i] == ';') {
            sgf.moves.resize(++node);
        } else if (text[i] >= 'A' && text[i] <= 'Z') {
            ident += text[i];
        } else if (text[i] == '[') {
            std::string value;
            for (++i; i < text.size() && text[i] != ']'; ++i) {
                i += text[i] == '\\';
                value += text.at(i);
            }
            if (node == 0) {
                sgf.root[std::exchange(ident, "")] = value;
            } else {
                sgf.moves.back() += std::exchange(ident, "") + value;
            }
        }
    }
    return sgf;
}

Strings filesIn(const std::string& folder) {
    Strings names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

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
        std::string file, root; // the root's PB|PW|RE|DT
    } cases[] = {
        {a, c, 0, GameEnd::Five, t1, t2, "20261207-0142-000001", "a]b|c\\d|B+|2026-12-06"},
        {c, l, 2, GameEnd::Full, t0, t1, "20261206-2359-000002", "c\\d|Łucja|0|2026-12-06"},
        {l, a, 1, GameEnd::Quit, t2, t3, "20270101-0000-000003", "Łucja|a]b|W+R|2026-12-07"},
        {a, l, 0, GameEnd::Quit, t2, t2, "20261207-0142-000004", "a]b|Łucja|B+R|2026-12-07"},
        {a, l, 0, GameEnd::Time, t2, t2, "20261207-0142-000005", "a]b|Łucja|B+T|2026-12-07"},
        {a, l, 1, GameEnd::Time, t2, t2, "20261207-0142-000006", "a]b|Łucja|W+T|2026-12-07"},
        {a, l, 1, GameEnd::Five, t2, t2, "20261207-0142-000007", "a]b|Łucja|W+|2026-12-07"},
    };
    for (const Case& k : cases) {
        ASSERT_TRUE(
            store->recordGame({k.black, k.white, k.outcome, k.reason, {}, k.started, k.ended}));
    }
    store.reset();

    ASSERT_EQ(server.runToExit({"--db", db, "--export-games", out}, output), 0) << output;
    EXPECT_EQ(output, "7 games written to " + out + ", 0 already there\n");
    EXPECT_EQ(filesIn(out), (Strings{"20261206-2359-000002.sgf", "20261207-0142-000001.sgf",
                                     "20261207-0142-000004.sgf", "20261207-0142-000005.sgf",
                                     "20261207-0142-000006.sgf", "20261207-0142-000007.sgf",
                                     "20270101-0000-000003.sgf"}));
    for (const Case& k : cases) {
        auto root = readSgf(fileText(out + "/" + k.file + ".sgf")).root;
        EXPECT_EQ(root["PB"] + "|" + root["PW"] + "|" + root["RE"] + "|" + root["DT"], k.root);
        EXPECT_EQ(root["FF"] + root["GM"] + root["SZ"] + root["CA"] + root["AP"],
                  "4415UTF-8Koralith:" KORALITH_VERSION);
    }

    // Again: what is there stays, even when changed; what went missing comes back.
    const std::string changed = out + "/20261207-0142-000001.sgf";
    std::ofstream(changed) << "kept";
    fs::remove(out + "/20270101-0000-000003.sgf");
    ASSERT_EQ(server.runToExit({"--db", db, "--export-games", out}, output), 0);
    EXPECT_EQ(output, "1 game written to " + out + ", 6 already there\n");
    EXPECT_EQ(fileText(changed), "kept");

    // A database of an older layout is refused as it is: not brought up to date.
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &handle), SQLITE_OK);
    sqlite3_exec(handle, "UPDATE schema_version SET version = 1", nullptr, nullptr, nullptr);
    sqlite3_close(handle);
    EXPECT_EQ(server.runToExit({"--db", db, "--export-games", out + "2"}, output), 1);
    EXPECT_NE(output.find("schema version 1"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists(out + "2"));
}

// The export holds no write lock: it finishes while the test holds one, which an export that
// wrote anything would wait on and then fail.
TEST_F(ServerTest, AnExportFromARunningServersDatabaseLeavesTheServerUndisturbed) {
    auto bystander = client("bystander");
    Pair p = matchedPair("x]1", "y\\2");
    ASSERT_TRUE(p.black);
    for (int x = 0; x < 4; ++x) {
        play(*p.black, *p.white, x, 0);
        play(*p.white, *p.black, x, 14 - x);
    }
    play(*p.black, *p.white, 4, 0, 1, OUTCOME_BLACK_WON); // answered once recorded
    const std::string out = server.databasePath() + "-sgf";
    std::string output;
    sqlite3* lock = nullptr;
    ASSERT_EQ(sqlite3_open(server.databasePath().c_str(), &lock), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(lock, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    const int status =
        server.runToExit({"--db", server.databasePath(), "--export-games", out}, output);
    sqlite3_close(lock);
    ASSERT_EQ(status, 0) << output;
    expectServed(*bystander);

    const Strings files = filesIn(out);
    ASSERT_EQ(files.size(), 1u);
    Sgf sgf = readSgf(fileText(out + "/" + files[0]));
    EXPECT_EQ(sgf.root["PB"] + sgf.root["PW"], p.blackName == "x]1" ? "x]1y\\2" : "y\\2x]1");
    // Our y counts up from the bottom, the file's rows down from the top.
    EXPECT_EQ(sgf.moves, (Strings{"Bao", "Waa", "Bbo", "Wbb", "Bco", "Wcc", "Bdo", "Wdd", "Beo"}));
}
