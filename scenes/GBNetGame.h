#pragma once
// The board scene of the online mode: the local user against a remote opponent whose moves the
// game server relays and judges. A stone of the user's own is placed only once the server has
// accepted it; the opponent's arrive as pushes; the end of a game (five, a full board, a player
// who left or ran out of time) comes from the server. Shows a 60-second move clock, both score
// lines and the result picture. Its five director listeners hold a plain pointer to the layer:
// leaveGame, the only way out, removes them first.

#include "GoBangGame.h"
#include "ResponseDataPack.h"
#include "ui/CocosGUI.h"

class GBNetGame : public GoBangGame {
public:
    // Null when nobody is logged in, neither id is the logged-in user's, or the pictures are
    // missing. `firstId` plays black and moves first.
    static GBNetGame* create(int firstId, int secondId);
    using GoBangGame::init;
    virtual bool init(int firstId, int secondId);

    bool isMyTurn() override;
    void gameOver(int result) override;
    void playChess(int x, int y) override;
    void onFiveInRow(bool localPlayer) override;

    // The result code (0 draw, 1 won, 2 lost) of a server outcome, from the side of `colour`.
    static int resultFor(int32_t outcome, int32_t colour);

    void onUserInfo(const ResponseDataPack& pack);
    void onChessResponse(const ResponseDataPack& pack);
    void onOppChess(const ResponseDataPack& pack);
    void onOppQuit(const ResponseDataPack& pack);
    void onOverTime(const ResponseDataPack& pack);
    void onBack(cocos2d::Ref* sender, cocos2d::ui::TouchEventType type);
    void removeNetListeners();

    int32_t getColour() const { return myColour; }

private:
    GBNetGame() = default;
    void startGame();
    void startClock(bool localSide);
    void stopClock();
    void onClockTick(float dt);
    void leaveGame();
    void requestUserInfo();
    void showNotice(const char* key);

    cocos2d::ui::Text* timeText = nullptr;
    cocos2d::ui::Text* myInfoText = nullptr;
    cocos2d::ui::Text* oppInfoText = nullptr;
    int32_t myColour = kBlack;
    int32_t myId = -1;
    int32_t oppId = -1;
    bool myTurn = false;
};
