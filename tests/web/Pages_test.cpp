// koralith-web's answers, served in-process on a loopback port from small databases made here:
// the current layout, an older one (no ratings, no status row) and none at all.
#include "Database.h"
#include "Support.h"
#include "WebServer.h"

#include <csignal>
#include <gtest/gtest.h>
#include <httplib.h>
#include <thread>

namespace {

const char* const kScript = "<script>alert(1)</script>";

// Three named players and 51 more, so that the leaderboard has two pages, and one game won by
// black with five (moves from (3,7) to (7,7)). `version` 4 adds the ratings and a fresh status
// row.
void makeDatabase(const std::string& path, int version) {
    const bool v4 = version >= 4;
    std::string sql =
        "CREATE TABLE schema_version (version INTEGER NOT NULL);"
        "INSERT INTO schema_version VALUES (" +
        std::to_string(version) +
        ");"
        "CREATE TABLE users (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, secret TEXT,"
        " score INTEGER, wins INTEGER, losses INTEGER, draws INTEGER, created TEXT, name_key TEXT);"
        "CREATE TABLE games (id INTEGER PRIMARY KEY, black INTEGER, white INTEGER, outcome INTEGER,"
        " reason TEXT, moves TEXT, started TEXT, ended TEXT" +
        std::string(v4 ? ", black_before INTEGER, black_after INTEGER, white_before INTEGER,"
                         " white_after INTEGER"
                       : "") +
        ");"
        "INSERT INTO users VALUES (1, '" +
        kScript +
        "', 'SECRET-HASH', 1516, 1, 0, 0, '', NULL),"
        " (2, 'a\"b''c&d', 'SECRET-HASH', 1484, 0, 1, 0, '', NULL);"
        "WITH RECURSIVE n(i) AS (SELECT 3 UNION ALL SELECT i + 1 FROM n WHERE i < 54)"
        " INSERT INTO users SELECT i, 'p' || i, 'x', 1000 + i, 0, 0, 0, '', NULL FROM n;"
        "INSERT INTO games VALUES (1, 1, 2, 0, 'five', '3,7 3,9 4,7 4,9 5,7 5,9 6,7 6,9 7,7',"
        " '2024-05-01 12:00:00Z', '2024-05-01 12:03:00Z'" +
        std::string(v4 ? ", 1500, 1516, 1500, 1484" : "") + ");";
    if (v4) {
        sql += "CREATE TABLE status (id INTEGER PRIMARY KEY, players_online INTEGER,"
               " games_running INTEGER, updated TEXT);"
               "INSERT INTO status VALUES (1, 7, 2, strftime('%Y-%m-%d %H:%M:%SZ', 'now'));";
    }
    Database db(path);
    ASSERT_TRUE(db.run(sql)) << db.error();
}

class Pages : public ::testing::Test {
protected:
    void SetUp() override { std::signal(SIGPIPE, SIG_IGN); }
    void TearDown() override {
        if (server) {
            server->stop();
            listener.join();
        }
    }
    void serve(const std::string& path) {
        server = std::make_unique<WebServer>(path);
        port = server->bind("127.0.0.1", 0);
        ASSERT_GT(port, 0);
        listener = std::thread([this] { server->run(); });
        ASSERT_TRUE(eventually([this] { return server->running(); }));
    }
    // The status and the body, or -1 when no answer came.
    std::pair<int, std::string> get(const std::string& target, const char* method = "GET") {
        httplib::Client client("127.0.0.1", port);
        httplib::Request req;
        req.method = method;
        req.path = target;
        const httplib::Result res = client.send(req);
        if (!res) {
            return {-1, ""};
        }
        // Every answer, errors too, carries the same guarding headers.
        EXPECT_EQ(res->get_header_value("Content-Security-Policy"), "default-src 'self'") << target;
        EXPECT_EQ(res->get_header_value("X-Content-Type-Options"), "nosniff") << target;
        EXPECT_EQ(res->get_header_value("Referrer-Policy"), "no-referrer") << target;
        return {res->status, res->body};
    }
    bool shows(const std::string& target, const std::string& text) {
        const auto [status, body] = get(target);
        return status == 200 && body.find(text) != std::string::npos;
    }

    TempDir folder;
    std::string path = folder.file("koralith.db");
    std::unique_ptr<WebServer> server;
    std::thread listener;
    int port = 0;
};

TEST_F(Pages, StatusOfEveryKindOfRequest) {
    makeDatabase(path, 4);
    serve(path);
    const std::pair<int, std::vector<std::string>> cases[] = {
        {200,
         {"/", "/?page=2", "/player/p3", "/player?name=p3", "/game/1", "/game/1.sgf", "/api/game/1",
          "/static/style.css", "/static/replay.js"}},
        {400,
         {"/?page=0", "/?page=-1", "/?page=01", "/?page=1x", "/?page=1000000",
          "/?page=", "/?page=1&page=2", "/?sort=name", "/player/p3?page=1"}},
        {404,
         {"/?page=3", "/api/leaderboard?page=3", "/player/P3", "/player/", "/player?name=nobody",
          "/api/player/nobody", "/game/2", "/game/0", "/game/01", "/game/1x", "/api/game/1.sgf",
          "/game/99999999999999999999", "/static/../x", "/api/", "/nothing"}},
        {414, {"/" + std::string(2000, 'a'), "/?page=" + std::string(1100, '1')}}};
    for (const auto& [status, targets] : cases) {
        for (const std::string& target : targets) {
            EXPECT_EQ(get(target).first, status) << target;
        }
    }
    for (const char* method : {"POST", "PUT", "DELETE", "PATCH", "OPTIONS"}) {
        EXPECT_EQ(get("/", method).first, 405) << method;
    }
    EXPECT_EQ(get("/game/1", "HEAD"), std::make_pair(200, std::string()));
}

// The library bounds each header line (8 KiB), not their number: the server bounds the whole.
TEST_F(Pages, ARequestIsBoundedInSizeNotOnlyPerLine) {
    serve(path);
    for (const auto& [lines, served] : {std::pair{2, true}, {4, false}}) {
        httplib::Headers headers;
        for (int i = 0; i < lines; ++i) {
            headers.emplace("X-Filler-" + std::to_string(i), std::string(5000, 'a'));
        }
        const httplib::Result res = httplib::Client("127.0.0.1", port).Get("/", headers);
        EXPECT_EQ(res && res->status == 200, served) << lines << " lines of 5000 bytes";
    }
}

TEST_F(Pages, CurrentLayoutShowsRatingsAndStatusHostileNamesInertAndNothingPrivate) {
    makeDatabase(path, 4);
    serve(path);
    for (const char* target : {"/", "/player/%3Cscript%3Ealert%281%29%3C%2Fscript%3E", "/game/1",
                               "/api/leaderboard", "/api/game/1"}) {
        const std::string body = get(target).second;
        EXPECT_EQ(body.find(kScript), std::string::npos) << target;
        EXPECT_EQ(body.find("a\"b'c&d"), std::string::npos) << target;
        EXPECT_EQ(body.find("SECRET-HASH"), std::string::npos) << target;
    }
    EXPECT_TRUE(shows("/", "<bdi>&lt;script&gt;alert(1)&lt;/script&gt;</bdi>"));
    EXPECT_TRUE(shows("/", "href=\"/player/a%22b%27c%26d\"><bdi>a\"b'c&amp;d</bdi>"));
    EXPECT_TRUE(shows("/player/a%22b%27c%26d", "<h1 class=\"player\"><bdi>a\"b'c&amp;d"));
    // The current layout's ratings and the server's status.
    EXPECT_TRUE(shows("/", "<strong>7</strong> players online"));
    EXPECT_TRUE(shows("/player/p3", "No rated games yet."));
    EXPECT_TRUE(shows("/player/%3Cscript%3Ealert%281%29%3C%2Fscript%3E",
                      "<polyline class=\"line\" points=\""));
    EXPECT_TRUE(shows("/game/1", "1516 <span class=\"up\">+16</span>"));
    EXPECT_TRUE(shows("/api/game/1", "\"winningLine\":[[3,7],[4,7],[5,7],[6,7],[7,7]]"));
    EXPECT_TRUE(shows("/api/leaderboard?page=2",
                      "\"rank\":51,\"name\":\"p6\",\"rating\":1006,\"games\":0"));
}

// The pages' starts are learnt once and must be forgotten at the next commit of the game server.
TEST_F(Pages, TheRankingAndTheStatusFollowEveryCommit) {
    makeDatabase(path, 4);
    serve(path);
    ASSERT_TRUE(shows("/api/leaderboard?page=2", "\"rank\":51,\"name\":\"p6\""));
    ASSERT_TRUE(Database(path).run("UPDATE users SET score = 2000 WHERE name = 'p4'"));
    EXPECT_TRUE(shows("/api/leaderboard?page=1", "[{\"rank\":1,\"name\":\"p4\""));
    EXPECT_TRUE(shows("/api/leaderboard?page=2", "\"rank\":51,\"name\":\"p7\""));
    // A status row left older than half a minute is not reporting.
    ASSERT_TRUE(Database(path).run("UPDATE status SET updated = "
                                   "strftime('%Y-%m-%d %H:%M:%SZ', 'now', '-40 seconds')"));
    EXPECT_TRUE(shows("/", "The game server is not reporting right now."));
    EXPECT_TRUE(shows("/api/leaderboard", "\"status\":{\"reporting\":false}"));
}

TEST_F(Pages, OlderLayoutHasNoRatingsAndNoStatus) {
    makeDatabase(path, 3);
    serve(path);
    EXPECT_TRUE(shows("/", "The game server is not reporting right now."));
    EXPECT_TRUE(shows("/?page=2", "<bdi>p4</bdi>"));
    EXPECT_TRUE(shows("/player/%3Cscript%3Ealert%281%29%3C%2Fscript%3E", "No rated games yet."));
    EXPECT_TRUE(shows("/api/game/1",
                      "\"black\":{\"name\":\"\\u003cscript\\u003ealert(1)\\u003c/"
                      "script\\u003e\",\"ratingBefore\":null,\"ratingAfter\":null}"));
    EXPECT_FALSE(shows("/game/1", "class=\"up\""));
}

TEST_F(Pages, ADatabaseNotThereYetIsAnEmptyServerUntilItAppears) {
    serve(path);
    EXPECT_TRUE(shows("/", "No games have been played on this server yet."));
    EXPECT_TRUE(shows("/api/leaderboard", "\"players\":[]"));
    EXPECT_EQ(get("/?page=2").first, 404);
    EXPECT_EQ(get("/player/p3").first, 404);
    EXPECT_EQ(get("/game/1").first, 404);
    EXPECT_FALSE(std::filesystem::exists(path)); // looking made nothing
    makeDatabase(path, 4);
    EXPECT_TRUE(shows("/", "<bdi>p54</bdi>"));
    EXPECT_EQ(get("/game/1").first, 200);
}

} // namespace
