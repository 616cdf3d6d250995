// The match room and the networked game, with the server's answers and pushes fed to the
// director: the waiting state and its blink, the match push, the move clock, moves that stand
// only once the server accepts them, and every way a game ends.

#include "EventCodes.h"
#include "GBLoginScene.h"
#include "GBMatchScene.h"
#include "GBNetGame.h"
#include "SceneFixture.h"

USING_NS_CC;

namespace {

class MatchTest : public SceneFixture {
protected:
    MatchTest() {
        director.userId = 7;
        match = show(GBMatchScene::create());
    }
    ui::Button* button(const char* image) {
        return h.find<ui::Button>([&](ui::Button* b) { return b->getNormalFile() == image; });
    }
    Sprite* waitPicture() {
        for (Node* n : match->getChildren()) {
            if (dynamic_cast<Sprite*>(n) && !dynamic_cast<ui::Widget*>(n)) {
                return static_cast<Sprite*>(n);
            }
        }
        return nullptr;
    }
    GBMatchScene* match = nullptr;
};

TEST_F(MatchTest, JoiningWaitsWithABlinkThatStartsFromNothingEveryTime) {
    ui::Button* join = button("images/joinmatch.png");
    ui::Button* quit = button("images/quitmatch.png");
    Sprite* wait = waitPicture();
    ASSERT_TRUE(join && quit && wait);
    EXPECT_EQ(join->getPosition(), Vec2(288, 509.76f));
    EXPECT_TRUE(EngineHarness::isShown(join));
    EXPECT_FALSE(EngineHarness::isShown(quit));
    EXPECT_FALSE(EngineHarness::isShown(wait));

    uint32_t seq = 0;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "first join" : "after a cancel");
        h.tap(join);
        EXPECT_FALSE(match->isWaiting()); // nothing changes before the answer
        const CLDataBuffer joined = ints({1});
        answer(seq++, EVENT_JOINMATCH, &joined);
        for (int frame = 0; frame < 6 && !match->isWaiting(); ++frame) {
            h.frame(); // the frame whose dispatch delivers the answer starts the blink
        }
        ASSERT_TRUE(match->isWaiting());
        EXPECT_FALSE(EngineHarness::isShown(join));
        EXPECT_TRUE(EngineHarness::isShown(quit));
        EXPECT_EQ(wait->getOpacity(), 0);
        h.advance(1.0f);
        EXPECT_EQ(wait->getOpacity(), 255);
        h.advance(1.0f);
        EXPECT_EQ(wait->getOpacity(), 0);

        h.tap(quit);
        answerNow(seq++, EVENT_CANCELMATCH, ints({1}));
        EXPECT_FALSE(match->isWaiting());
        EXPECT_TRUE(EngineHarness::isShown(join));
        EXPECT_FALSE(EngineHarness::isShown(wait));
        EXPECT_EQ(wait->getNumberOfRunningActions(), 0u);
    }
}

TEST_F(MatchTest, ASecondJoinAnswerRestartsTheBlinkRatherThanRunningItTwice) {
    Sprite* wait = waitPicture();
    h.tap(button("images/joinmatch.png"));
    h.tap(button("images/joinmatch.png"));
    answerNow(0, EVENT_JOINMATCH, ints({1}));
    h.advance(0.5f);
    answerNow(1, EVENT_JOINMATCH, ints({1}));
    EXPECT_EQ(wait->getNumberOfRunningActions(), 1u);
    h.advance(0.5f);
    EXPECT_GT(wait->getOpacity(), 64); // twice the speed would have faded it out again
    EXPECT_LT(wait->getOpacity(), 191);
}

TEST_F(MatchTest, RefusalsFailuresAndBadPacksShowTheirTextsAndChangeNothing) {
    struct Case {
        int32_t code;
        bool networkFails;
        CLDataBuffer fields;
        const char* shown;
    };
    Case cases[] = {
        {EVENT_JOINMATCH, false, ints({0}), "handleerror"},
        {EVENT_JOINMATCH, false, CLDataBuffer(), "handleerror"},
        {EVENT_JOINMATCH, true, CLDataBuffer(), "neterror"},
        {EVENT_MATCHRES, false, ints({0, 7, 9}), "handleerror"},
        {EVENT_MATCHRES, false, ints({1, 7}), "handleerror"},
    };
    uint32_t seq = 0;
    for (Case& c : cases) {
        if (c.code == EVENT_JOINMATCH) {
            h.tap(button("images/joinmatch.png"));
            if (c.networkFails) {
                failNow(seq++, c.code);
            } else {
                answerNow(seq++, c.code, c.fields);
            }
        } else {
            push(c.code, &c.fields);
            h.advance(0.1f);
        }
        EXPECT_EQ(message(), text(c.shown));
        EXPECT_FALSE(match->isWaiting());
        EXPECT_EQ(running<GBMatchScene>(), match);
    }
}

TEST_F(MatchTest, AMatchThatIsNotOursStaysHereAndTheNextOneStartsTheGame) {
    const CLDataBuffer strangers = ints({1, 3, 4});
    push(EVENT_MATCHRES, &strangers);
    h.advance(0.1f);
    EXPECT_EQ(message(), text("handleerror"));
    EXPECT_EQ(running<GBMatchScene>(), match);

    const CLDataBuffer ours = ints({1, 9, 7}); // the opponent moves first: we play white
    push(EVENT_MATCHRES, &ours);
    auto* game = running<GBNetGame>();
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game->getColour(), kWhite);
}

class NetGameTest : public SceneFixture {
protected:
    static constexpr int32_t kMe = 7;
    static constexpr int32_t kThem = 9;
    // The game as the match push starts it; its first two requests ask for both score lines.
    GBNetGame* start(int32_t colour) {
        director.userId = kMe;
        game = colour == kBlack ? GBNetGame::create(kMe, kThem) : GBNetGame::create(kThem, kMe);
        nextSeq = 2;
        return show(game);
    }
    Vec2 at(int x, int y) const {
        return game->getBoardSprite()->convertToWorldSpace(GoBangGame::pointPosition(x, y));
    }
    int32_t cell(int x, int y) const { return game->getBoard()[cellIndex(x, y)]; }
    std::vector<ui::Text*> scoreLines() {
        std::vector<ui::Text*> out;
        for (Node* n : game->getChildren()) {
            auto* t = dynamic_cast<ui::Text*>(n);
            if (t && t->getAnchorPoint() == Vec2(0, 0.5f)) {
                out.push_back(t);
            }
        }
        return out;
    }
    ui::Button* result() {
        return h.find<ui::Button>(
            [](ui::Button* b) { return b->getNormalFile().rfind("images/gameover", 0) == 0; });
    }
    // Our move, sent and answered: the request's sequence number comes next.
    void move(int x, int y, const CLDataBuffer& answerFields) {
        h.touch(at(x, y));
        answerNow(nextSeq++, EVENT_CHESS, answerFields);
    }
    void theirMove(int x, int y, int32_t over = 0, int32_t outcome = 0) {
        const CLDataBuffer f = ints({x, y, over, outcome});
        push(EVENT_OPPCHESS, &f);
        h.advance(0.1f);
    }

    GBNetGame* game = nullptr;
    uint32_t nextSeq = 0;
};

TEST(NetGameResult, OutcomesFromEachSide) {
    struct Case {
        int32_t outcome, colour;
        int result;
    };
    const Case cases[] = {{0, kBlack, 1}, {0, kWhite, 2}, {1, kBlack, 2}, {1, kWhite, 1},
                          {2, kBlack, 0}, {2, kWhite, 0}, {3, kBlack, 2}, {-1, kWhite, 2}};
    for (const Case& c : cases) {
        EXPECT_EQ(GBNetGame::resultFor(c.outcome, c.colour), c.result) << c.outcome << c.colour;
    }
}

TEST_F(NetGameTest, NobodyLoggedInOrNeitherIdOursMakesNoGame) {
    director.userId = -1;
    EXPECT_EQ(GBNetGame::create(-1, 3), nullptr);
    director.userId = kMe;
    EXPECT_EQ(GBNetGame::create(3, 4), nullptr);
}

enum class End { OUR_MOVE, THEIR_MOVE, PUSH };
struct Ending {
    const char* what;
    End kind;
    int32_t code, a, b; // OUR_MOVE: game over, outcome; THEIR_MOVE: outcome; PUSH: code, id
    const char* picture;
    const char* notice; // or null
};

class NetGameEndTest : public NetGameTest, public ::testing::WithParamInterface<Ending> {};

TEST_P(NetGameEndTest, ShowsItsPictureAndNotice) {
    const Ending& c = GetParam();
    start(kBlack);
    if (c.kind == End::OUR_MOVE) {
        move(7, 7, ints({1, c.a, c.b}));
    } else if (c.kind == End::THEIR_MOVE) {
        move(7, 7, ints({1, 0, 0}));
        theirMove(8, 8, 1, c.a);
    } else {
        const CLDataBuffer f = ints({c.a});
        push(c.code, &f);
        h.advance(0.1f);
    }
    EXPECT_FALSE(game->isPlaying());
    ASSERT_NE(result(), nullptr);
    EXPECT_EQ(result()->getNormalFile(), c.picture);
    EXPECT_EQ(h.findText(c.notice ? text(c.notice) : "<no notice>") != nullptr,
              c.notice != nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    EveryEnd, NetGameEndTest,
    ::testing::Values(
        Ending{"OurWinningMove", End::OUR_MOVE, 0, 1, 0, "images/gameover1.png", nullptr},
        Ending{"ADraw", End::OUR_MOVE, 0, 1, 2, "images/gameover0.png", nullptr},
        Ending{"TheirWinningMove", End::THEIR_MOVE, 0, 1, 0, "images/gameover2.png", nullptr},
        Ending{"TheyLeft", End::PUSH, EVENT_OPPQUIT, 9, 0, "images/gameover1.png", "leave"},
        Ending{"TheirTimeRanOut", End::PUSH, EVENT_OVERTIME, 7, 0, "images/gameover1.png",
               "overtime"},
        Ending{"OurTimeRanOut", End::PUSH, EVENT_OVERTIME, 9, 0, "images/gameover2.png",
               "overtime"}),
    [](const ::testing::TestParamInfo<Ending>& info) { return std::string(info.param.what); });

TEST_F(NetGameTest, PushesThatDoNotBelongAreIgnored) {
    start(kBlack);
    const CLDataBuffer ourOwnQuit = ints({kMe});
    push(EVENT_OPPQUIT, &ourOwnQuit);
    const CLDataBuffer strangersTime = ints({3});
    push(EVENT_OVERTIME, &strangersTime);
    const CLDataBuffer cutMove = ints({4});
    push(EVENT_OPPCHESS, &cutMove);
    theirMove(8, 8); // it is our move, not theirs
    EXPECT_TRUE(game->isPlaying());
    EXPECT_EQ(cell(8, 8), kEmpty);
    EXPECT_EQ(result(), nullptr);
    EXPECT_NE(h.findText(text("overtime")), nullptr); // the notice shows, the game goes on
}

TEST_F(NetGameTest, ScoreLinesComeFromTheUserInfoAnswers) {
    start(kBlack);
    CLDataBuffer mine = ints({kMe});
    mine.addString("alice");
    for (int32_t v : {1512, 3, 1, 0}) {
        mine.addInt(v);
    }
    CLDataBuffer short5 = ints({kThem});
    short5.addString("bob");
    for (int32_t v : {1490, 1, 3}) {
        short5.addInt(v);
    }
    answerNow(0, EVENT_GETUSERINFO, mine);
    answerNow(1, EVENT_GETUSERINFO, short5); // fewer than six fields: ignored
    const auto lines = scoreLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]->getString(), "alice: 1512 points, 3 won, 1 lost, 0 drawn");
    EXPECT_EQ(lines[0]->getPosition(), Vec2(20, 50));
    EXPECT_EQ(lines[1]->getString(), "");
    EXPECT_EQ(lines[1]->getPosition(), Vec2(20, 1019.52f - 50));
}

} // namespace
