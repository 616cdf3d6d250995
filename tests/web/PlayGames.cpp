// The browser test's players: on a running koralith-server, players with hostile names play
// real games over the protocol; each game is printed as one JSON line for the test to check the
// pages against: {"black":NAME,"white":NAME,"reason":"five","moves":[[x,y],...]}. The first line
// is {"schema":N}, the database's layout version. A name the server now refuses (a right-to-left
// override) is written into the database with one game, as an older server would have kept it.
//   koralith_web_players PORT DATABASE
#include "Database.h"
#include "Escape.h"
#include "TestClient.h"

#include <cstdio>
#include <cstdlib>

namespace {

using Moves = std::vector<std::pair<int, int>>;

struct Player {
    std::string name;
    std::unique_ptr<TestClient> client;
    int32_t id = -1;
};

void print(const std::string& black, const std::string& white, const char* reason,
           const Moves& moves) {
    std::string line = "{\"black\":" + jsonString(black) + ",\"white\":" + jsonString(white) +
                       ",\"reason\":\"" + reason + "\",\"moves\":[";
    for (size_t i = 0; i < moves.size(); ++i) {
        line += (i ? ",[" : "[") + std::to_string(moves[i].first) + "," +
                std::to_string(moves[i].second) + "]";
    }
    std::printf("%s]}\n", line.c_str());
}

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "koralith_web_players: %s\n", why.c_str());
    std::exit(1);
}

Message answer(TestClient& c, int32_t code, std::initializer_list<int32_t> ints) {
    const std::optional<Message> m = c.requestInts(code, ints);
    return m ? *m : (fail("no answer to " + std::to_string(code)), Message{});
}

// Matches a and b and plays `moves` (black's first); for the reason "quit", black then leaves.
void play(Player& a, Player& b, const Moves& moves, const char* reason) {
    answer(*a.client, EVENT_JOINMATCH, {});
    answer(*b.client, EVENT_JOINMATCH, {});
    const std::optional<Message> match = a.client->waitPush(EVENT_MATCHRES);
    if (!match || !b.client->waitPush(EVENT_MATCHRES) || match->intAt(0) != 1) {
        fail("no match");
    }
    Player *mover = match->intAt(1) == a.id ? &a : &b, *other = mover == &a ? &b : &a;
    Player &black = *mover, &white = *other;
    for (const auto& [x, y] : moves) {
        if (answer(*mover->client, EVENT_CHESS, {x, y}).intAt(0) != 1 ||
            !other->client->waitPush(EVENT_OPPCHESS)) {
            fail("move refused");
        }
        std::swap(mover, other);
    }
    if (std::string(reason) == "quit") {
        answer(*black.client, EVENT_QUITCHESS, {});
        // Told once the game's record is in the database.
        if (!white.client->waitPush(EVENT_OPPQUIT)) {
            fail("no quit push");
        }
    }
    print(black.name, white.name, reason, moves);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fail("usage: koralith_web_players PORT DATABASE");
    }
    const auto port = static_cast<unsigned short>(std::atoi(argv[1]));
    std::vector<Player> players;
    for (const char* name : {"<script>alert(1)</script>", "Q\"u'o&te", "מרים"}) {
        Player p{name, std::make_unique<TestClient>(port)};
        p.id = p.client->enter(name);
        if (p.id <= 0) {
            fail(std::string("cannot register ") + name);
        }
        players.push_back(std::move(p));
    }
    Database db(argv[2]);
    int schema = 0;
    db.run("SELECT MAX(version) FROM schema_version", &schema);
    std::printf("{\"schema\":%d}\n", schema);

    const Moves blackFive = {{3, 7}, {3, 9}, {4, 7}, {4, 9}, {5, 7},
                             {5, 9}, {6, 7}, {6, 9}, {7, 7}};
    const Moves whiteFive = {{0, 0},   {10, 10}, {2, 0},   {11, 11}, {4, 0},
                             {12, 12}, {6, 0},   {13, 13}, {0, 14},  {9, 9}};
    play(players[0], players[1], blackFive, "five");
    play(players[2], players[0], whiteFive, "five");
    play(players[1], players[2], {{7, 7}, {8, 8}, {6, 6}}, "quit");
    std::fflush(stdout);

    // Registered by an older server, before names that turn the text around were refused.
    const std::string rlo = "\xE2\x80\xAE"
                            "evil-name";
    const std::string sql =
        "INSERT INTO users (name, name_key, secret, created) VALUES ('" + rlo + "', '" + rlo +
        "', 'x', '2024-01-01 00:00:00Z');"
        "INSERT INTO games (black, white, outcome, reason, moves, started, ended)"
        " SELECT last_insert_rowid(), id, 0, 'five', '3,7 3,9 4,7 4,9 5,7 5,9 6,7 6,9 7,7',"
        " '2024-01-01 00:00:00Z', '2024-01-01 00:05:00Z' FROM users WHERE id = " +
        std::to_string(players[1].id);
    if (!db.run(sql)) {
        fail("cannot add the older player: " + db.error());
    }
    print(rlo, players[1].name, "five", blackFive);
    return 0;
}
