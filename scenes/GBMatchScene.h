#pragma once
// The waiting room of the online path: join and leave the match queue, a blinking picture while
// queued, and the networked game as soon as the server pushes a match. Its back button logs out
// and returns to the login scene. Its three director listeners hold a plain pointer to the
// layer: both ways out remove them first.
//
// It also hears of the connection: a lost one ends the wait with a line of its own below the
// message line, until the director has logged in again; a login ended by the server (the
// account logged in elsewhere, or the login again refused) goes back to the login scene with
// the reason.

#include "ResponseDataPack.h"
#include "cocos2d.h"
#include "ui/CocosGUI.h"

class GBMatchScene : public cocos2d::LayerColor {
public:
    CREATE_FUNC(GBMatchScene)
    // The blink is the scene's for its whole life.
    ~GBMatchScene() override;
    bool init() override;

    void onBack(cocos2d::Ref* sender, cocos2d::ui::TouchEventType type);
    void onJoinMatch(cocos2d::Ref* sender, cocos2d::ui::TouchEventType type);
    void onQuitMatch(cocos2d::Ref* sender, cocos2d::ui::TouchEventType type);
    void onJoinMatchResponse(const ResponseDataPack& pack);
    void onCancelMatchResponse(const ResponseDataPack& pack);
    void onMatchResult(const ResponseDataPack& pack);
    void onConnection(const ResponseDataPack& pack);
    void removeNetListeners();

    bool isWaiting() const { return isMatching; }
    // The line of our own below the message line: how the connection stands, or the welcome
    // after a login.
    void showStatus(const std::string& text);
    void showConnectionLost();

private:
    void addNetListeners();
    // Field 0 of an answer or push is 1; a pack without it is a refusal.
    static bool succeeded(const ResponseDataPack& pack);
    // A join or cancel answer that succeeded; otherwise the message says why not.
    bool accepted(const ResponseDataPack& pack);
    // Into or out of the queue: the buttons swap, the blink starts from nothing or stops.
    void setWaiting(bool waiting);
    // Back to the login scene, its message line showing the text of `key`.
    void toLoginWith(const char* key);
    // What the back button does (a logout, the login scene); Escape does the same.
    void goBack();

    bool isMatching = false;
    cocos2d::ui::Button* joinButton = nullptr;
    cocos2d::ui::Button* quitButton = nullptr;
    cocos2d::Sprite* waitSprite = nullptr;
    cocos2d::ui::Text* messageText = nullptr;
    cocos2d::ui::Text* connectionText = nullptr;
    cocos2d::Action* blinkAction = nullptr;
};
