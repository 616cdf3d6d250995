#pragma once
// The board scene of the online mode: the local user against a remote opponent whose moves the
// game server relays and judges. A stone of the user's own is placed only once the server has
// accepted it; the opponent's arrive as pushes; the end of a game (five, a full board, a player
// who left or ran out of time) comes from the server. Shows a 60-second move clock, both score
// lines and the result picture. Its director listeners hold a plain pointer to the layer: both
// ways out, leaveGame and a lost connection, remove them first.
//
// A lost connection ends the game here without a result (the server has ended it) and takes the
// player to the match room, where the director's login again brings them back online; a login
// the server ended (elsewhere) takes them to the login scene. Pushes that name neither player
// and outcomes outside the known ones end nothing and show nothing.

#include "GoBangGame.h"
#include "ResponseDataPack.h"
#include "ui/CocosGUI.h"

class GBNetGame : public GoBangGame {
public:
    // Null when nobody is logged in, neither id is the logged-in user's, or the pictures are
    // missing. `firstId` plays black and moves first.
    static GBNetGame* create(int firstId, int secondId);
    ~GBNetGame() override;
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
    void onConnection(const ResponseDataPack& pack);
    void onBack(cocos2d::Ref* sender, cocos2d::ui::TouchEventType type);
    void removeNetListeners();
    // Escape: in a running game the question whether to leave (leaving loses it); otherwise, or
    // with the question up, what the back button does and what Stay does.
    void onEscape();
    bool isAskingToLeave() const { return leaveQuestion != nullptr; }

    int32_t getColour() const { return myColour; }

private:
    GBNetGame() = default;
    void startGame();
    void startClock(bool localSide);
    void stopClock();
    void onClockTick(float dt);
    void leaveGame();
    // Ends the game here, without a word to the server (the connection is gone).
    void endHere();
    void askToLeave();
    void closeQuestion();
    void requestUserInfo();
    // A red line of `key`'s text where the notices go, or `below` that.
    void showNotice(const char* key, float below = 0);

    cocos2d::ui::Text* timeText = nullptr;
    cocos2d::ui::Text* myInfoText = nullptr;
    cocos2d::ui::Text* oppInfoText = nullptr;
    int32_t myColour = kBlack;
    int32_t myId = -1;
    int32_t oppId = -1;
    bool myTurn = false;
    cocos2d::Node* leaveQuestion = nullptr; // while the question is up
};
