// The match scene against the real server's queue: joining, the blinking wait, leaving the
// queue, and the match with a bot that takes the client into the game.

#include "E2EFixture.h"
#include "GBMatchScene.h"
#include "GBNetGame.h"

USING_NS_CC;
using namespace std::chrono_literals;

namespace {

class MatchTest : public E2ETest {
protected:
    Sprite* waitPicture() const {
        Texture2D* picture = h->director()->getTextureCache()->addImage("images/waitmatch.png");
        return h->find<Sprite>([&](Sprite* s) { return s->getTexture() == picture; });
    }
    // Waiting: the quit button in place of the join button, and the picture fading in from
    // nothing, then out again.
    void expectWaitingAndBlinking() {
        EXPECT_EQ(button("images/joinmatch.png"), nullptr);
        EXPECT_NE(button("images/quitmatch.png"), nullptr);
        Sprite* picture = waitPicture();
        ASSERT_NE(picture, nullptr);
        EXPECT_TRUE(EngineHarness::isShown(picture));
        EXPECT_LT(picture->getOpacity(), 40);
        EXPECT_TRUE(until([&] { return picture->getOpacity() > 215; }));
        EXPECT_TRUE(until([&] { return picture->getOpacity() < 40; }));
        EXPECT_TRUE(EngineHarness::isShown(picture));
    }
};

TEST_F(MatchTest, JoinBlinksCancelStopsJoinAgainAndTheBotsJoinStartsTheGame) {
    GBMatchScene* scene = enter("hana");
    ASSERT_NE(scene, nullptr);
    int32_t botId = 0;
    auto bot = newBot("ivan", botId);

    ASSERT_TRUE(tap("images/joinmatch.png"));
    ASSERT_TRUE(until([&] { return scene->isWaiting(); }));
    expectWaitingAndBlinking();

    ASSERT_TRUE(tap("images/quitmatch.png"));
    ASSERT_TRUE(until([&] { return !scene->isWaiting(); }));
    EXPECT_NE(button("images/joinmatch.png"), nullptr);
    EXPECT_EQ(button("images/quitmatch.png"), nullptr);
    EXPECT_FALSE(EngineHarness::isShown(waitPicture()));
    EXPECT_EQ(message(), "");
    // Out of the queue: the bot waits alone (a match is pushed before the join is answered).
    EXPECT_EQ(bot->request(EVENT_JOINMATCH)->intAt(0), 1);
    EXPECT_TRUE(bot->noPush(EVENT_MATCHRES, 0ms));

    ASSERT_TRUE(tap("images/joinmatch.png"));
    const std::optional<Message> matched = botHears(*bot, EVENT_MATCHRES);
    ASSERT_TRUE(matched);
    EXPECT_EQ(matched->intAt(0), 1);
    const std::vector<int32_t> players = {matched->intAt(1), matched->intAt(2)};
    EXPECT_TRUE(players == std::vector<int32_t>({clientId, botId}) ||
                players == std::vector<int32_t>({botId, clientId}));

    GBNetGame* game = reach<GBNetGame>();
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game->getColour(), players[0] == clientId ? kBlack : kWhite);
    EXPECT_TRUE(game->isPlaying());
}

} // namespace
