#include "GBLoginScene.h"

#include "Credentials.h"
#include "Design.h"
#include "EventCodes.h"
#include "FormKeys.h"
#include "GBDirector.h"
#include "GBMatchScene.h"
#include "GBRegistScene.h"
#include "HelloWorld.h"
#include "Listeners.h"
#include "Slide.h"
#include "Widgets.h"

USING_NS_CC;
using namespace scenes;

namespace {
const char* const kLoginEvent = "gb_event_login";
}

GBLoginScene* GBLoginScene::createWithMessage(const std::string& message) {
    GBLoginScene* scene = create();
    if (scene) {
        scene->messageText->setString(message);
    }
    return scene;
}

GBLoginScene::~GBLoginScene() {
    forgetListeners(this);
}

bool GBLoginScene::init() {
    if (!LayerColor::initWithColor(kBackground)) {
        return false;
    }
    GBDirector* director = GBDirector::getInstance();
    UserDefault* store = UserDefault::getInstance();
    const std::string savedName = store->getStringForKey("username", "");
    const std::string savedPassword = store->getStringForKey("password", "");
    const Size design = designSize();
    const float w = design.width;
    const float h = design.height;

    addLabel(this, director->getText("username") + ":", Vec2(w / 2 - 160, h - 100));
    usernameField =
        addField(this, director->getText("usernameinput"), Vec2(w / 2 - 100, h - 100), false);
    if (!savedName.empty()) {
        usernameField->setString(savedName);
    }
    addLabel(this, director->getText("password") + ":", Vec2(w / 2 - 160, h - 200));
    passwordField =
        addField(this, director->getText("passwordinput"), Vec2(w / 2 - 100, h - 200), true);
    if (!savedPassword.empty()) {
        passwordField->setString(savedPassword);
    }
    messageText = addMessageLine(this, Vec2(w / 2, h - 250));
    addButton(this, "images/login.png", Vec2(w / 2 - 160, h - 300), this,
              toucheventselector(GBLoginScene::onLogin));
    addButton(this, "images/regist.png", Vec2(w / 2, h - 300), this,
              toucheventselector(GBLoginScene::onRegist));
    addButton(this, "images/back.png", Vec2(w / 2 + 160, h - 300), this,
              toucheventselector(GBLoginScene::onBack));

    director->addListener(
        kLoginEvent, [this](const ResponseDataPack& pack) { onLoginResponse(pack); }, this);
    addFormKeys(
        this, {usernameField, passwordField}, [this] { login(); }, [this] { goBack(); });
    return true;
}

void GBLoginScene::onLogin(Ref*, ui::TouchEventType type) {
    if (type == ui::TOUCH_EVENT_ENDED) {
        login();
    }
}

void GBLoginScene::login() {
    const std::string name = usernameField->getString();
    const std::string password = passwordField->getString();
    GBDirector* director = GBDirector::getInstance();
    if (name.empty() || password.empty()) {
        messageText->setString(director->getText("emptywarning"));
        return;
    }
    director->sendCredentials(EVENT_LOGIN, name, password);
}

void GBLoginScene::onLoginResponse(const ResponseDataPack& pack) {
    GBDirector* director = GBDirector::getInstance();
    if (pack.status != PACKET_RECEIVED) {
        messageText->setString(director->getText("neterror"));
        return;
    }
    // An answer without its result and id is a refusal: there is no id to play under.
    const auto result = pack.response ? pack.response->intAt(0) : std::nullopt;
    const auto id = pack.response ? pack.response->intAt(1) : std::nullopt;
    if (result != 1 || !id) {
        messageText->setString(director->getText("loginfailed"));
        return;
    }
    messageText->setString(director->getText("loginsucceed"));
    director->userId = *id;
    rememberCredentials(pack);
    removeNetListeners();
    // The line says it again where the player lands, where it can be read.
    GBMatchScene* room = GBMatchScene::create();
    if (room) {
        room->showStatus(director->getText("loginsucceed"));
    }
    slideTo(room, Slide::FORWARD);
}

void GBLoginScene::onRegist(Ref*, ui::TouchEventType type) {
    if (type == ui::TOUCH_EVENT_ENDED) {
        removeNetListeners();
        slideTo(GBRegistScene::create(), Slide::FORWARD);
    }
}

void GBLoginScene::onBack(Ref*, ui::TouchEventType type) {
    if (type == ui::TOUCH_EVENT_ENDED) {
        goBack();
    }
}

void GBLoginScene::goBack() {
    removeNetListeners();
    slideTo(HelloWorld::create(), Slide::BACK);
}

void GBLoginScene::removeNetListeners() {
    GBDirector::getInstance()->removeListeners(kLoginEvent);
}
