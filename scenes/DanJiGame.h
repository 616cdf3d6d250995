#pragma once
// The single-player scene: the user against the computer opponent on the board scene. Colours
// are drawn at random for every game; the computer answers within the user's own touch. A
// score kept in the settings store ("score", 50 when missing) pays a stake of 2 * level + 2 on
// entering the scene and earns twice the stake for a win and the stake for a draw.

#include "AIPlayer.h"
#include "ChessRole.h"
#include "GoBangGame.h"
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

private:
    DanJiGame() = default;
    void startGame();
    void createScoreLabel();
    void addScore(int delta);
    bool placeAndJudge(int x, int y, int32_t colour, bool byUser);
    void onBack(cocos2d::Ref* sender, cocos2d::ui::TouchEventType type);
    // What the back button does; Escape does the same.
    void goBack();
    void onResult(cocos2d::Ref* sender, cocos2d::ui::TouchEventType type);

    Player player;
    AIPlayer ai;
    int32_t level = 0;
    int32_t score = 0;
    int32_t stake = 2;
    cocos2d::ui::Text* scoreLabel = nullptr;
    cocos2d::ui::Button* resultButton = nullptr;
};
