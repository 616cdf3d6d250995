#pragma once
// The main menu: single-player, online and exit buttons, and one line of server notice that
// each new menu asks the server for. The notice listener holds a plain pointer to the layer, so
// every way out of the menu removes it before the scene is replaced or the engine ends.

#include "ResponseDataPack.h"
#include "cocos2d.h"
#include "ui/CocosGUI.h"

class HelloWorld : public cocos2d::LayerColor {
public:
    CREATE_FUNC(HelloWorld)
    ~HelloWorld() override;
    bool init() override;

    void onDanJiGame(cocos2d::Ref* sender, cocos2d::ui::TouchEventType type);
    void onNetGame(cocos2d::Ref* sender, cocos2d::ui::TouchEventType type);
    void onExitGame(cocos2d::Ref* sender, cocos2d::ui::TouchEventType type);
    void onNotice(const ResponseDataPack& pack);

    // The notice line made from an answer's fields; false when the answer is not one the menu
    // can read (missing or mistyped fields), and the line then keeps what it showed.
    static bool noticeLine(const CLDataBuffer* response, std::string& line);

private:
    void leaveFor(cocos2d::Layer* layer);

    cocos2d::ui::Text* noticeText = nullptr;
};
