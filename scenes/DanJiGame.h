#pragma once
// The single-player scene: the user against the computer opponent on the board scene. Colours
// are drawn at random for every game; the computer answers within the user's own touch. A
// score kept in the settings store ("score", 50 when missing) pays a stake of 2 * level + 2 on
// entering the scene and earns twice the stake for a win and the stake for a draw.
//
// Additions of our own, in free space: the computer's level (Easy, Normal, Hard; Normal is the
// opponent described above), chosen with a small button for the next game and remembered
// ("computerlevel"); Undo (Ctrl+Z) takes back the player's last move and the computer's answer,
// Hint (H) marks the point the Hard level would play, until the next move; a game in which
// either was used still counts, but its win pays no bonus. After a game, before the next, its
// moves can be stepped through (Left and Right, or two small buttons).

#include "AIPlayer.h"
#include "ChessRole.h"
#include "GoBangGame.h"
#include "Opponent.h"
#include "ui/CocosGUI.h"

#include <cstdint>

class DanJiGame : public GoBangGame, public MoveReceiver {
public:
    // Result codes, also the number in "images/gameover%d.png".
    static constexpr int kDraw = 0;
    static constexpr int kWon = 1;
    static constexpr int kLost = 2;

    // `level` is the computer's look-ahead depth (the menu uses 0). Null when the scene's
    // pictures cannot be loaded.
    static DanJiGame* create(int level);
    using GoBangGame::init;
    virtual bool init(int level);

    bool isMyTurn() override;
    void gameOver(int result) override;
    void playChess(int x, int y) override;
    void onFiveInRow(bool localPlayer) override;
    void computerMove(int x, int y) override;

    int32_t getUserColour() const { return player.colour; }
    int32_t getScore() const { return score; }
    // Takes back the player's last move and the computer's answer; false when there is none, or
    // the game is over.
    bool undo();
    // One move back or forward through a finished game.
    void review(int step);
    // Marks the point the Hard level would play for the player; false when it is not the
    // player's turn.
    bool hint();
    bool isAssisted() const { return assisted; }
    // The level of this game, and the one chosen for the next.
    Level getLevel() const { return gameLevel; }
    static Level chosenLevel();
    // Steps the choice for the next game on (Easy, Normal, Hard, Easy ...).
    void nextLevel();

private:
    DanJiGame() = default;
    void startGame();
    void createScoreLabel();
    void addScore(int delta);
    bool placeAndJudge(int x, int y, int32_t colour, bool byUser);
    void onBack(cocos2d::Ref* sender, cocos2d::ui::TouchEventType type);
    // What the back button does; Escape does the same.
    void goBack();
    void addOwnControls();
    void onKey(cocos2d::EventKeyboard::KeyCode key, cocos2d::Event* event);
    void showReview(bool shown);
    void computerThinks();
    void clearHint();
    void showLevelButton();
    void onResult(cocos2d::Ref* sender, cocos2d::ui::TouchEventType type);

    Player player;
    AIPlayer ai;
    int32_t level = 0;
    int32_t score = 0;
    int32_t stake = 2;
    cocos2d::ui::Text* scoreLabel = nullptr;
    cocos2d::ui::Button* resultButton = nullptr;
    bool assisted = false; // undo (or a hint) was used in this game
    cocos2d::ui::Button* reviewButtons[2] = {};
    cocos2d::ui::Button* levelButtons[3] = {}; // Easy, Normal, Hard
    cocos2d::Sprite* hintStone = nullptr;
    Level gameLevel = Level::Normal;
    Opponent other; // the computer at Easy or Hard; Normal is `ai`
    uint64_t easySeed = 0;
};
