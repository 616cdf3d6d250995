// The single-player game driven by touches as a player plays it, from set-up positions.

#include "DanJiGame.h"
#include "HelloWorld.h"
#include "SceneFixture.h"
#include "audio/AudioEngine.h"

USING_NS_CC;

namespace {

const Vec2 kOffScreen(-100, -100);

class SinglePlayerTest : public SceneFixture {
protected:
    // Enters the game (level 0) with the colour draw giving the user `colour`.
    DanJiGame* enter(int32_t colour) {
        for (unsigned seed = 1; seed < 100; ++seed) {
            RandomHelper::getEngine().seed(seed);
            if ((cocos2d::random() % 2 == 0 ? kBlack : kWhite) == colour) {
                RandomHelper::getEngine().seed(seed);
                break;
            }
        }
        board = game = show(DanJiGame::create(0));
        return game;
    }
    void play(int x, int y) { h.touch(at(x, y)); }
    int stored() { return UserDefault::getInstance()->getIntegerForKey("score", 50); }
    std::string scoreText() {
        return EngineHarness::textOf(
            h.find<ui::Text>([](ui::Text* t) { return t->getString().rfind("Score", 0) == 0; }));
    }
    Node* cursor() const { return game->getChildren().back(); }
    ui::Button* backButton() const { return screen::all<ui::Button>(h).front(); }
    // Puts down stones of `colour` without turns, as a position to play from.
    void setUp(int32_t colour, std::initializer_list<std::pair<int, int>> points) {
        for (auto [x, y] : points) {
            game->putChess(x, y, colour);
        }
    }

    DanJiGame* game = nullptr;
};

TEST_F(SinglePlayerTest, EachEntryPaysTheStakeWhiteSeesTheOpeningAndLeavingKeepsTheScore) {
    enter(kWhite);
    EXPECT_EQ(scoreText(), "Score : 48");
    EXPECT_EQ(game->getTurnLine(), "You play White - your turn");
    EXPECT_EQ(cell(7, 7), kBlack);
    EXPECT_EQ(game->getStones().size(), 1u);
    EXPECT_TRUE(game->isMyTurn());
    EXPECT_EQ(backButton()->getPosition(), Vec2(476, 919.52f));
    enter(kBlack);
    EXPECT_EQ(stored(), 46); // a second entry pays again
    EXPECT_TRUE(game->getStones().empty());
    play(7, 7);
    h.tap(backButton());
    EXPECT_NE(running<HelloWorld>(), nullptr);
    EXPECT_EQ(stored(), 46); // leaving keeps the score
    enter(kBlack);
    h.key(EventKeyboard::KeyCode::KEY_ESCAPE); // as the back button, at once
    EXPECT_NE(running<HelloWorld>(), nullptr);
}

TEST_F(SinglePlayerTest, ATouchPlacesTheUsersStoneAndTheComputersReplyInOneGo) {
    enter(kBlack);
    h.press(at(7, 7));
    EXPECT_EQ(cursor()->getPosition(), at(7, 7)); // the cursor stone follows the finger
    h.moveTo(at(3, 3));
    EXPECT_EQ(cursor()->getPosition(), at(3, 3));
    h.release(at(3, 3));
    EXPECT_EQ(cell(3, 3), kBlack);
    EXPECT_EQ(game->getStones().size(), 2u);
    EXPECT_EQ(cursor()->getPosition(), kOffScreen);
    EXPECT_TRUE(game->isMyTurn());

    // An occupied point, and a touch beginning off the picture, place nothing.
    play(3, 3);
    h.touch(Vec2(288, 100));
    EXPECT_EQ(game->getStones().size(), 2u);
    EXPECT_EQ(cursor()->getPosition(), kOffScreen);
    // A touch that begins on the board and ends just off it still counts.
    h.press(at(0, 0) + Vec2(5, 5));
    h.release(at(0, 0) - Vec2(30, 30));
    EXPECT_EQ(cell(0, 0), kBlack);
}

TEST_F(SinglePlayerTest, CompletingFiveWinsTwiceTheStakeAndTheResultRestartsFree) {
    enter(kBlack);
    setUp(kBlack, {{3, 7}, {4, 7}, {5, 7}, {6, 7}});
    setUp(kWhite, {{3, 8}, {4, 8}, {5, 8}});
    play(7, 7);
    EXPECT_FALSE(game->isPlaying());
    EXPECT_EQ(stored(), 52);
    EXPECT_EQ(scoreText(), "Score : 52");
    EXPECT_EQ(game->getTurnLine(), "You play Black - you won");
    std::vector<Vec2> marked; // the five, and no other stone
    for (Sprite* mark : game->getFiveMarks()) {
        marked.push_back(mark->getPosition());
    }
    EXPECT_EQ(marked, (std::vector<Vec2>{at(3, 7), at(4, 7), at(5, 7), at(6, 7), at(7, 7)}));
    ui::Button* picture = button("images/gameover1.png");
    ASSERT_NE(picture, nullptr);

    // It slides up from just below the screen to the middle in 1.0 s.
    const float h0 = picture->getContentSize().height;
    EXPECT_EQ(picture->getPosition(), Vec2(288, -h0 / 2));
    h.advance(0.5f);
    EXPECT_GT(picture->getPosition().y, -h0 / 2);
    EXPECT_LT(picture->getPosition().y, 509.76f);
    h.advance(0.5f);
    EXPECT_EQ(picture->getPosition(), Vec2(288, 509.76f));

    // The board does not take touches now; the picture starts the next game, without a stake.
    play(0, 0);
    EXPECT_EQ(cell(0, 0), kEmpty);
    h.tap(picture);
    EXPECT_EQ(button("images/gameover1.png"), nullptr);
    EXPECT_TRUE(game->isPlaying());
    EXPECT_TRUE(game->getFiveMarks().empty());
    EXPECT_EQ(stored(), 52);
    EXPECT_LE(game->getStones().size(), 1u); // the computer's opening stone when it is black
}

TEST_F(SinglePlayerTest, TheComputerTakesAFiveItIsOfferedAndTheScoreStays) {
    enter(kBlack);
    setUp(kWhite, {{0, 0}, {1, 0}, {2, 0}, {3, 0}});
    setUp(kBlack, {{10, 10}, {10, 11}, {11, 10}});
    play(12, 12);
    EXPECT_EQ(cell(4, 0), kWhite);
    EXPECT_FALSE(game->isPlaying());
    EXPECT_EQ(stored(), 48);
    EXPECT_EQ(game->getTurnLine(), "You play Black - you lost");
    EXPECT_EQ(game->getFiveMarks().size(), 5u);
    EXPECT_NE(button("images/gameover2.png"), nullptr);
}

// Colours in pairs along the rows, shifted one per row: no line of three anywhere in any
// direction, so a board filled this way is a draw.
int32_t drawPattern(int x, int y) {
    return (x / 2 + y) % 2 == 0 ? kBlack : kWhite;
}

TEST_F(SinglePlayerTest, TheStoneThatFillsTheBoardDrawsEvenWhenItMakesFive) {
    for (const bool makesFive : {false, true}) {
        SCOPED_TRACE(makesFive ? "the last stone makes five" : "a plain draw");
        UserDefault::getInstance()->setIntegerForKey("score", 50);
        enter(kBlack);
        // (14, 14) stays empty for the user. With `makesFive`, (10..13, 14) are the user's
        // too, so the last stone completes a row of five.
        for (int x = 0; x < kBoardSize; ++x) {
            for (int y = 0; y < kBoardSize; ++y) {
                const bool row = makesFive && y == 14 && x >= 10;
                if (x == 14 && y == 14) {
                    continue;
                }
                game->putChess(x, y, row ? kBlack : drawPattern(x, y));
            }
        }
        play(14, 14);
        EXPECT_EQ(cell(14, 14), kBlack);
        EXPECT_EQ(checkFive(game->getBoard(), 14, 14, kBlack), makesFive);
        EXPECT_FALSE(game->isPlaying());
        EXPECT_EQ(stored(), 50); // 50 - 2 on entry + 2 for the draw
        EXPECT_NE(button("images/gameover0.png"), nullptr);
    }
}

// Additions of our own: undo and hint (a win with them pays no bonus), the review of a finished
// game, the level for the next game, move numbers, and the sounds asked for (and M to mute).
TEST_F(SinglePlayerTest, UndoHintReviewLevelsNumbersAndSounds) {
    std::vector<std::string> sounds;
    experimental::AudioEngine::setPlayListener([&](const std::string& f) { sounds.push_back(f); });
    enter(kBlack);
    EXPECT_FALSE(game->undo()); // nothing to take back yet
    play(3, 3);
    EXPECT_EQ(sounds, (std::vector<std::string>{"sounds/stone.wav", "sounds/opponent.wav"}));
    h.key(EventKeyboard::KeyCode::KEY_Z, false);
    EXPECT_EQ(game->getStones().size(), 2u); // Z alone is no undo
    h.pressKey(EventKeyboard::KeyCode::KEY_LEFT_CTRL);
    h.key(EventKeyboard::KeyCode::KEY_Z);
    h.releaseKey(EventKeyboard::KeyCode::KEY_LEFT_CTRL);
    EXPECT_TRUE(game->getStones().empty());
    EXPECT_TRUE(game->isAssisted());

    // The hint is a faint stone of ours where the strong level would play, gone with the move.
    h.key(EventKeyboard::KeyCode::KEY_H);
    const auto faint = [&] {
        return h.find<Sprite>([](Sprite* s) { return s->getOpacity() == 110; });
    };
    ASSERT_NE(faint(), nullptr);
    h.key(EventKeyboard::KeyCode::KEY_N); // numbers on, remembered
    h.key(EventKeyboard::KeyCode::KEY_M); // muted, remembered
    sounds.clear();
    setUp(kBlack, {{3, 7}, {4, 7}, {5, 7}, {6, 7}});
    play(7, 7);
    EXPECT_EQ(faint(), nullptr);
    EXPECT_TRUE(sounds.empty());
    EXPECT_EQ(stored(), 48); // an assisted win: no bonus
    EXPECT_TRUE(GoBangGame::moveNumbersShown());
    EXPECT_NE(h.findText("5"), nullptr); // the fifth stone's number

    // Review: back and forth through the moves, the winning marks only at the end.
    const size_t all = game->getStones().size();
    h.key(EventKeyboard::KeyCode::KEY_LEFT_ARROW);
    EXPECT_EQ(game->movesShown(), all - 1);
    EXPECT_FALSE(EngineHarness::isShown(game->getStones().back()));
    EXPECT_FALSE(EngineHarness::isShown(game->getFiveMarks().front()));
    h.tap(button("images/next.png"));
    EXPECT_EQ(game->movesShown(), all);
    EXPECT_TRUE(EngineHarness::isShown(game->getFiveMarks().front()));

    // The level: the button chooses the next game's, remembered; this game keeps its own.
    EXPECT_EQ(game->getLevel(), Level::Normal);
    h.tap(button("images/normal.png"));
    EXPECT_EQ(DanJiGame::chosenLevel(), Level::Hard);
    EXPECT_EQ(game->getLevel(), Level::Normal);
    h.tap(button("images/gameover1.png"));
    EXPECT_EQ(game->getLevel(), Level::Hard);
    EXPECT_FALSE(game->isAssisted());
    EXPECT_FALSE(EngineHarness::isShown(button("images/next.png")));
    experimental::AudioEngine::setPlayListener(nullptr);
}

} // namespace
