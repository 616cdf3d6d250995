// The lobby in process: matching, judged moves, the clock, the ways to leave a game, and the
// scores a game leaves. The database work runs on an executor the test turns by hand, so that a
// game's record lands exactly when the test says: nothing that tells the end may come before,
// and a connection's end asked for meanwhile comes after what was held back.

#include "AccountStore.h"
#include "Accounts.h"
#include "Database.h"
#include "EventCodes.h"
#include "Lobby.h"
#include "Packet.h"
#include "Peer.h"
#include "Support.h"

#include <asio/post.hpp>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Ints = std::vector<int32_t>;
using Push = std::pair<int32_t, Ints>; // code, int fields

// Keeps what the connection is sent as (code, ints), and why it was ended.
class SeenPeer : public Peer {
public:
    const std::string& address() const override { return where; }
    void end(const char* why) override { ended = why; }
    // What came since the last call.
    std::vector<Push> take() { return std::exchange(seen, {}); }

    std::string ended;

protected:
    void send(std::vector<uint8_t> packet) override {
        EXPECT_EQ(ended, "") << "sent after its end";
        const ParsedResponse r = parseResponseBody(packet.data() + 4, packet.size() - 4);
        Ints values;
        for (size_t i = 0; r.fields && i < r.fields->fieldCount(); ++i) {
            values.push_back(r.fields->intAt(i).value_or(-999));
        }
        seen.push_back({r.code, values});
    }

private:
    std::string where = "127.0.0.1";
    std::vector<Push> seen;
};

class LobbyTest : public ::testing::Test {
protected:
    // Black's peer first.
    struct Pair {
        SeenPeer *black = nullptr, *white = nullptr;
    };

    void SetUp() override { ASSERT_TRUE(store) << error; }

    // Connected, and logged in to a new account unless `name` is empty.
    SeenPeer& player(const std::string& name) {
        peers.push_back(std::make_unique<SeenPeer>());
        SeenPeer& p = *peers.back();
        lobby->opened(p);
        int32_t id = 0;
        if (!name.empty()) {
            EXPECT_EQ(store->addUser(name, "secret", id), AccountStore::AddResult::Added);
            lobby->login(p, id, name);
        }
        return p;
    }
    Pair matched(const std::string& a, const std::string& b) {
        SeenPeer &first = player(a), &second = player(b);
        EXPECT_TRUE(lobby->join(first) && lobby->join(second));
        const Ints match = first.take().at(0).second;
        EXPECT_EQ(second.take(), (std::vector<Push>{{EVENT_MATCHRES, match}}));
        return match.at(1) == first.state.userId ? Pair{&first, &second} : Pair{&second, &first};
    }
    // Lets the database work run, then what waited on it.
    void landRecords() {
        for (int i = 0; i < 5; ++i) {
            database.poll();
            database.restart();
            io.poll();
            io.restart();
        }
    }
    void play(SeenPeer& mover, SeenPeer& other, int x, int y) {
        const Lobby::MoveAnswer a = lobby->move(mover, x, y);
        EXPECT_TRUE(a.accepted && !a.over) << x << "," << y;
        EXPECT_EQ(other.take(), (std::vector<Push>{{EVENT_OPPCHESS, {x, y, 0, 0}}}));
    }
    void expectRefused(SeenPeer& mover, int x, int y) {
        EXPECT_FALSE(lobby->move(mover, x, y).accepted) << x << "," << y;
    }
    // Score, wins, losses, draws.
    Ints scoreOf(const SeenPeer& p) {
        const auto u = store->userInfo(p.state.userId);
        return u ? Ints{u->score, u->wins, u->losses, u->draws} : Ints{};
    }

    TempDir folder;
    std::string path = folder.file("koralith.db"), error;
    asio::io_context io, database;
    std::unique_ptr<AccountStore> store = AccountStore::open(path, error);
    Accounts accounts{io, io.get_executor(), database.get_executor(), *store, HashCost::Minimum};
    std::unique_ptr<Lobby> lobby =
        std::make_unique<Lobby>(io, accounts, std::chrono::seconds(60), 1);
    std::vector<std::unique_ptr<SeenPeer>> peers;
};

TEST(Peer, AnEndAskedForWhileARecordingWaitsComesAfterWhatWasHeldBack) {
    for (const int recordings : {0, 2}) {
        SCOPED_TRACE(recordings);
        SeenPeer peer;
        peer.state.recording = recordings;
        peer.deliver(buildResponsePacket(EVENT_ELSEWHERE, 0, nullptr));
        peer.endWhenSent("elsewhere");
        for (int i = 0; i < recordings; ++i) {
            EXPECT_TRUE(peer.take().empty() && peer.ended.empty()) << "while a recording waits";
            peer.recorded();
        }
        EXPECT_EQ(peer.take(), (std::vector<Push>{{EVENT_ELSEWHERE, {}}}));
        EXPECT_EQ(peer.ended, "elsewhere");
    }
}

TEST_F(LobbyTest, WaitingPlayersArePairedInTheOrderTheyJoined) {
    EXPECT_FALSE(lobby->join(player(""))); // not logged in
    SeenPeer* p[4];
    for (int i = 0; i < 4; ++i) {
        p[i] = &player("player" + std::to_string(i));
    }
    EXPECT_FALSE(lobby->cancel(*p[1]));
    EXPECT_TRUE(lobby->join(*p[1]));
    EXPECT_TRUE(lobby->join(*p[1])); // twice: no error, and no match with itself
    EXPECT_TRUE(lobby->cancel(*p[1]));
    EXPECT_FALSE(lobby->cancel(*p[1]));
    for (int i : {0, 2, 3}) {
        EXPECT_TRUE(lobby->join(*p[i]));
    }
    const Ints pair = p[0]->take().at(0).second;
    EXPECT_EQ(std::minmax(pair.at(1), pair.at(2)),
              std::minmax(p[0]->state.userId, p[2]->state.userId));
    EXPECT_EQ(p[2]->take(), (std::vector<Push>{{EVENT_MATCHRES, pair}}));
    EXPECT_TRUE(p[3]->take().empty());
    EXPECT_FALSE(lobby->join(*p[0])); // in a game
    EXPECT_TRUE(lobby->cancel(*p[3]));
}

TEST_F(LobbyTest, MovesAreCheckedAndFiveInARowWinsOnceRecorded) {
    SeenPeer& stranger = player("stranger");
    expectRefused(stranger, 7, 7); // not in a game
    const Pair p = matched("b", "w");
    expectRefused(*p.white, 7, 7); // not white's turn
    for (const auto& [x, y] : {std::pair{15, 0}, {0, 15}, {-1, 3}}) {
        expectRefused(*p.black, x, y);
    }
    // A refused move is not pushed: the next push is this move.
    play(*p.black, *p.white, 7, 7);
    expectRefused(*p.black, 8, 8); // black again
    expectRefused(*p.white, 7, 7); // taken
    for (int x = 0; x < 4; ++x) {
        play(*p.white, *p.black, x, 0);
        play(*p.black, *p.white, 2 * x, 10);
    }
    const Lobby::MoveAnswer five = lobby->move(*p.white, 4, 0);
    EXPECT_TRUE(five.accepted && five.over && five.outcome == OUTCOME_WHITE_WON);
    expectRefused(*p.black, 9, 9); // the game is over
    EXPECT_TRUE(p.black->take().empty()) << "told before it was recorded";
    landRecords();
    EXPECT_EQ(p.black->take(), (std::vector<Push>{{EVENT_OPPCHESS, {4, 0, 1, OUTCOME_WHITE_WON}}}));
    EXPECT_EQ(scoreOf(*p.white), (Ints{1516, 1, 0, 0}));
    EXPECT_EQ(scoreOf(*p.black), (Ints{1484, 0, 1, 0}));
    // The game's row keeps the ratings on each side of it, for the web face's history.
    int before = 0, after = 0;
    EXPECT_TRUE(Database(path).run("SELECT black_before - white_before FROM games", &before));
    EXPECT_TRUE(Database(path).run("SELECT black_after * 10000 + white_after FROM games", &after));
    EXPECT_EQ(before, 0);
    EXPECT_EQ(after, 1484 * 10000 + 1516);
}

TEST_F(LobbyTest, AFullBoardWithoutFiveIsADraw) {
    const Pair p = matched("b", "w");
    // Diagonal bands two wide: no line of five anywhere, 113 black and 112 white points.
    std::vector<std::pair<int, int>> cells[2];
    for (int x = 0; x < 15; ++x) {
        for (int y = 0; y < 15; ++y) {
            cells[((x + 2 * y) / 2) % 2].push_back({x, y});
        }
    }
    for (size_t i = 0; i < 112; ++i) {
        play(*p.black, *p.white, cells[0][i].first, cells[0][i].second);
        play(*p.white, *p.black, cells[1][i].first, cells[1][i].second);
    }
    const Lobby::MoveAnswer last = lobby->move(*p.black, cells[0][112].first, cells[0][112].second);
    EXPECT_TRUE(last.accepted && last.over && last.outcome == OUTCOME_DRAW);
    landRecords();
    EXPECT_EQ(scoreOf(*p.black), (Ints{1500, 0, 0, 1}));
    EXPECT_EQ(scoreOf(*p.white), (Ints{1500, 0, 0, 1}));
}

// White leaves by a quit, a logout, a closed connection, or a second login to its account, which
// also ends its old connection after a push that says why, so that its game does not log in
// again by itself.
TEST_F(LobbyTest, LeavingAGameLosesItInEachWayOnceRecorded) {
    enum Way { Quit, Logout, Closed, TakenOver };
    for (Way way : {Quit, Logout, Closed, TakenOver}) {
        SCOPED_TRACE(way);
        const Pair p = matched("stay" + std::to_string(way), "go" + std::to_string(way));
        play(*p.black, *p.white, 7, 7);
        const int32_t whiteId = p.white->state.userId;
        if (way == Quit) {
            lobby->quit(*p.white);
        } else if (way == Logout) {
            EXPECT_TRUE(lobby->logout(*p.white));
        } else if (way == Closed) {
            lobby->closed(*p.white);
        } else {
            lobby->login(player(""), whiteId, p.white->state.userName);
        }
        expectRefused(*p.black, 8, 8);
        EXPECT_TRUE(p.black->take().empty()) << "told before it was recorded";
        landRecords();
        EXPECT_EQ(p.black->take(), (std::vector<Push>{{EVENT_OPPQUIT, {whiteId}}}));
        lobby->quit(*p.white); // after the end: nothing more
        EXPECT_TRUE(p.black->take().empty());
        EXPECT_EQ(scoreOf(*p.black), (Ints{1516, 1, 0, 0}));
        const bool takenOver = way == TakenOver;
        const std::vector<Push> toldWhy{{EVENT_ELSEWHERE, {}}};
        EXPECT_EQ(p.white->take(), takenOver ? toldWhy : std::vector<Push>{});
        EXPECT_EQ(p.white->ended, takenOver ? "logged in elsewhere" : "");
    }
}

// The first game to end after a quiet spell is recorded at once; those ending close behind it
// wait for the rest of the window and share one commit, and one of them the database refuses for
// good (a player gone from it meanwhile) is found and left out alone.
TEST_F(LobbyTest, GameEndsCloseTogetherShareACommitAndOneRefusedTakesNoOtherWithIt) {
    Accounts gathering{io,     io.get_executor(), database.get_executor(),
                       *store, HashCost::Minimum, std::chrono::milliseconds(500)};
    lobby = std::make_unique<Lobby>(io, gathering, std::chrono::seconds(60), 1);
    const Pair games[] = {matched("a1", "a2"), matched("b1", "b2"), matched("c1", "c2")};
    ASSERT_TRUE(Database(path).run("DELETE FROM users WHERE id = " +
                                   std::to_string(games[1].white->state.userId)));
    for (const Pair& p : games) {
        lobby->quit(*p.white);
    }
    landRecords();
    EXPECT_EQ(games[0].black->take().size(), 1u);
    EXPECT_TRUE(games[2].black->take().empty()) << "not gathered";
    for (int i = 0; i < 200 && games[2].black->take().empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10)); // the window's end
        landRecords();
    }
    EXPECT_EQ(scoreOf(*games[0].black), (Ints{1516, 1, 0, 0}));
    EXPECT_EQ(scoreOf(*games[1].black), (Ints{1500, 0, 0, 0}));
    EXPECT_EQ(scoreOf(*games[2].black), (Ints{1516, 1, 0, 0}));
    int recorded = 0;
    EXPECT_TRUE(Database(path).run("SELECT COUNT(*) FROM games", &recorded));
    EXPECT_EQ(recorded, 2);
}

// With no time to move, the clock runs out as soon as the io thread looks at it.
TEST_F(LobbyTest, RunningOutOfTimeLosesButAClockThatRanOutAsAMoveCameIsStale) {
    lobby = std::make_unique<Lobby>(io, accounts, std::chrono::seconds(0), 1);
    for (const bool blackMoves : {false, true}) {
        SCOPED_TRACE(blackMoves);
        const Pair p = matched("b" + std::to_string(blackMoves), "w" + std::to_string(blackMoves));
        if (blackMoves) {
            play(*p.black, *p.white, 7, 7);
        }
        io.poll();
        io.restart();
        expectRefused(*p.white, 8, 8);
        landRecords();
        const int32_t winner = (blackMoves ? p.black : p.white)->state.userId;
        for (SeenPeer* seat : {p.black, p.white}) {
            EXPECT_EQ(seat->take(), (std::vector<Push>{{EVENT_OVERTIME, {winner}}}));
        }
        EXPECT_EQ(scoreOf(blackMoves ? *p.black : *p.white), (Ints{1516, 1, 0, 0}));
    }
    // The clock ran out (its handler queued) just as black's move came: the move restarted the
    // clock, and the queued handler, too late to cancel, must not end the game. The io context
    // runs the move and then the old handler, one at a time.
    const Pair p = matched("b", "w");
    asio::post(io, [&] { play(*p.black, *p.white, 7, 7); });
    ASSERT_EQ(io.poll_one(), 1u); // the clock seen out, the move run
    ASSERT_EQ(io.poll_one(), 1u); // the old clock's handler
    EXPECT_EQ(lobby->runningGames(), 1u);
    io.poll(); // now white's clock runs out
    landRecords();
    EXPECT_EQ(p.white->take(), (std::vector<Push>{{EVENT_OVERTIME, {p.black->state.userId}}}));
}

} // namespace
