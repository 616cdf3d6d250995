#pragma once
// The first screen of the online path: user name and password, the login request (the password
// travels only as its MD5 digest), and on success the credentials remembered in the settings,
// the user's id in the director and the match scene. Also the way to registration and back to
// the menu. Its "gb_event_login" listener holds a plain pointer to the layer: every way out
// removes it first.

#include "ResponseDataPack.h"
#include "cocos2d.h"
#include "ui/CocosGUI.h"

class GBLoginScene : public cocos2d::LayerColor {
public:
    CREATE_FUNC(GBLoginScene)
    // The login scene with `message` on its red line: the reason the player was sent here.
    static GBLoginScene* createWithMessage(const std::string& message);
    ~GBLoginScene() override;
    bool init() override;

    void onLogin(cocos2d::Ref* sender, cocos2d::ui::TouchEventType type);
    void onRegist(cocos2d::Ref* sender, cocos2d::ui::TouchEventType type);
    void onBack(cocos2d::Ref* sender, cocos2d::ui::TouchEventType type);
    void onLoginResponse(const ResponseDataPack& pack);
    void removeNetListeners();

private:
    // What the login and back buttons do; Enter and Escape do the same.
    void login();
    void goBack();

    cocos2d::ui::TextField* usernameField = nullptr;
    cocos2d::ui::TextField* passwordField = nullptr;
    cocos2d::ui::Text* messageText = nullptr;
};
