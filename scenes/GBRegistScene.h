#pragma once
// Creating an account: user name, password twice, the registration request (the password
// travels only as its MD5 digest), and on success the credentials remembered in the settings
// and back to the login scene, which shows them filled in. Its "gb_event_reg" listener holds a
// plain pointer to the layer: both ways out remove it first.

#include "ResponseDataPack.h"
#include "cocos2d.h"
#include "ui/CocosGUI.h"

class GBRegistScene : public cocos2d::LayerColor {
public:
    CREATE_FUNC(GBRegistScene)
    ~GBRegistScene() override;
    bool init() override;

    void onRegist(cocos2d::Ref* sender, cocos2d::ui::TouchEventType type);
    void onBack(cocos2d::Ref* sender, cocos2d::ui::TouchEventType type);
    void onRegistResponse(const ResponseDataPack& pack);
    void removeNetListeners();

private:
    // What the register and back buttons do; Enter and Escape do the same.
    void submit();
    void goBack();

    cocos2d::ui::TextField* usernameField = nullptr;
    cocos2d::ui::TextField* passwordField = nullptr;
    cocos2d::ui::TextField* confirmField = nullptr;
    cocos2d::ui::Text* messageText = nullptr;
};
