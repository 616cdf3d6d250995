// The client against a server of the test's own that sends what no sound server would: texts of
// megabytes, floods of pushes, matches nobody asked for, outcomes nobody knows. The client stays
// alive and its screen and memory stay bounded; bounds are asserted by counts (labels on the
// screen), never by timings. The director's tests bound what it holds for nobody.

#include "E2EFixture.h"
#include "GBNetGame.h"
#include "ScriptedServer.h"

#include <algorithm>

USING_NS_CC;

namespace {

constexpr int32_t kMe = 7, kThem = 9, kStranger = 3;

class HostileTest : public ClientTest {
protected:
    // The sound answer to each request; the texts are the test's to make hostile before the
    // client starts.
    Bytes answer(const ParsedRequest& r) {
        CLDataBuffer f;
        switch (r.header.code) {
        case EVENT_LOGIN:
            f = ints({1, kMe});
            break;
        case EVENT_GETNOTICE:
            f = ints({1});
            f.addString(notice.c_str());
            f.addString("2026-12-07 12:00");
            break;
        case EVENT_GETUSERINFO:
            f = ints({r.fields.intAt(0).value_or(0)});
            f.addString(name.c_str());
            for (int32_t n : {1500, 1, 2, 3}) {
                f.addInt(n);
            }
            break;
        case EVENT_CHESS:
            f = ints({1, 0});
            break;
        default:
            f = ints({1});
        }
        return ScriptedServer::packet(r.header.code, r.header.seq, f);
    }
    void start() { startClient(server.port()); }
    // A push of integers, `count` times in one write.
    void push(int32_t code, std::initializer_list<int32_t> fields, int count = 1) {
        const Bytes one = ScriptedServer::packet(code, 0, ints(fields));
        Bytes all;
        for (int i = 0; i < count; ++i) {
            all.insert(all.end(), one.begin(), one.end());
        }
        server.send(all);
    }
    GBMatchScene* logIn() {
        return openLogin() && submit({"alice", "pw"}, "images/login.png") ? reach<GBMatchScene>()
                                                                          : nullptr;
    }
    // Joined, and matched as black against kThem.
    GBNetGame* play() {
        GBMatchScene* room = logIn();
        if (!room || !tap("images/joinmatch.png") || !until([&] { return room->isWaiting(); })) {
            return nullptr;
        }
        push(EVENT_MATCHRES, {1, kMe, kThem});
        return reach<GBNetGame>();
    }
    // The texts on the screen (the move numbers are hidden unless asked for).
    size_t labels() const {
        const std::vector<ui::Text*> texts = screen::all<ui::Text>(*h);
        return std::count_if(texts.begin(), texts.end(), EngineHarness::isShown);
    }

    std::string notice = "Welcome";
    std::string name = "bob";
    ScriptedServer server{[this](const ParsedRequest& r) { return answer(r); }};
};

TEST_F(HostileTest, TextsOfMegabytesAreCutBeforeTheyReachTheScreen) {
    notice = std::string(1 << 20, 'n');
    std::string e; // 15 MB of a two-byte letter: the cut must fall between two of them
    for (size_t i = 0; i < (15u << 20) / 2; ++i) {
        e += "\xC3\xA9";
    }
    name = e;
    start();
    const std::string shown = "2026-12-07  " + std::string(300, 'n');
    EXPECT_TRUE(until([&] { return h->findText(shown) != nullptr; }));
    ASSERT_NE(play(), nullptr);
    std::string cut;
    for (int i = 0; i < 16; ++i) {
        cut += "\xC3\xA9";
    }
    const std::string line = cut + ": 1500 points, 1 won, 2 lost, 3 drawn";
    EXPECT_TRUE(until([&] { return h->findText(line) != nullptr; }, 3000, 20));
}

// In a game: a flood of overtime pushes naming neither player, a second match push, outcomes
// outside the known ones; none of them shows anything, ends the game or starts another.
TEST_F(HostileTest, PushesThatAreNotAboutThisGameChangeNothingInIt) {
    start();
    GBNetGame* game = play();
    ASSERT_NE(game, nullptr);
    ASSERT_TRUE(settle());
    const size_t before = labels();
    push(EVENT_OVERTIME, {kStranger}, 10000);
    push(EVENT_OPPQUIT, {kStranger}, 100);
    push(EVENT_MATCHRES, {1, kThem, kMe});
    ASSERT_TRUE(settle());
    EXPECT_EQ(labels(), before);
    EXPECT_TRUE(game->isPlaying());

    h->touch(game->getBoardSprite()->convertToWorldSpace(GoBangGame::pointPosition(7, 7)));
    ASSERT_TRUE(settle()); // answered: accepted, not over
    ASSERT_EQ(game->getBoard()[cellIndex(7, 7)], kBlack);
    push(EVENT_OPPCHESS, {8, 8, 1, 7}); // over, with an outcome nobody knows
    ASSERT_TRUE(settle());
    EXPECT_EQ(game->getBoard()[cellIndex(8, 8)], kEmpty);
    EXPECT_TRUE(game->isPlaying());
    EXPECT_EQ(labels(), before);

    // Back leaves for the match room and stays there: the second match was never asked for.
    ASSERT_TRUE(tap("images/selectback.png"));
    GBMatchScene* room = reach<GBMatchScene>();
    ASSERT_NE(room, nullptr);
    ASSERT_TRUE(settle());
    EXPECT_EQ(reach<GBMatchScene>(), room);
}

} // namespace
