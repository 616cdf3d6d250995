#include "GBRegistScene.h"

#include "Credentials.h"
#include "Design.h"
#include "EventCodes.h"
#include "FormKeys.h"
#include "GBDirector.h"
#include "GBLoginScene.h"
#include "Listeners.h"
#include "Slide.h"
#include "Widgets.h"

USING_NS_CC;
using namespace scenes;

namespace {
const char* const kRegEvent = "gb_event_reg";
}

GBRegistScene::~GBRegistScene() {
    forgetListeners(this);
}

bool GBRegistScene::init() {
    if (!LayerColor::initWithColor(kBackground)) {
        return false;
    }
    GBDirector* director = GBDirector::getInstance();
    const Size design = designSize();
    const float w = design.width;
    const float h = design.height;
    const std::string placeholder = director->getText("passwordinput");

    addLabel(this, director->getText("username") + ":", Vec2(w / 2 - 160, h - 100));
    usernameField =
        addField(this, director->getText("usernameinput"), Vec2(w / 2 - 100, h - 100), false);
    addLabel(this, director->getText("password") + ":", Vec2(w / 2 - 160, h - 200));
    passwordField = addField(this, placeholder, Vec2(w / 2 - 100, h - 200), true);
    addLabel(this, director->getText("confirmpassword") + ":", Vec2(w / 2 - 160, h - 300));
    confirmField = addField(this, placeholder, Vec2(w / 2 - 100, h - 300), true);
    messageText = addMessageLine(this, Vec2(w / 2, h - 350));
    addButton(this, "images/regist.png", Vec2(w / 2 - 100, h - 400), this,
              toucheventselector(GBRegistScene::onRegist));
    addButton(this, "images/back.png", Vec2(w / 2 + 100, h - 400), this,
              toucheventselector(GBRegistScene::onBack));

    director->addListener(
        kRegEvent, [this](const ResponseDataPack& pack) { onRegistResponse(pack); }, this);
    addFormKeys(
        this, {usernameField, passwordField, confirmField}, [this] { submit(); },
        [this] { goBack(); });
    return true;
}

void GBRegistScene::onRegist(Ref*, ui::TouchEventType type) {
    if (type == ui::TOUCH_EVENT_ENDED) {
        submit();
    }
}

void GBRegistScene::submit() {
    const std::string name = usernameField->getString();
    const std::string password = passwordField->getString();
    const std::string confirmation = confirmField->getString();
    GBDirector* director = GBDirector::getInstance();
    if (password != confirmation) {
        messageText->setString(director->getText("passwordwarning"));
        return;
    }
    if (name.empty() || password.empty()) {
        messageText->setString(director->getText("emptywarning"));
        return;
    }
    director->sendCredentials(EVENT_REG, name, password);
}

void GBRegistScene::onRegistResponse(const ResponseDataPack& pack) {
    GBDirector* director = GBDirector::getInstance();
    if (pack.status != PACKET_RECEIVED) {
        messageText->setString(director->getText("neterror"));
        return;
    }
    if (!pack.response || pack.response->intAt(0) != 1) {
        messageText->setString(director->getText("regfailed"));
        return;
    }
    messageText->setString(director->getText("regsucceed"));
    rememberCredentials(pack);
    removeNetListeners();
    // The line says it again where the player lands, where it can be read.
    slideTo(GBLoginScene::createWithMessage(director->getText("regsucceed")), Slide::BACK);
}

void GBRegistScene::onBack(Ref*, ui::TouchEventType type) {
    if (type == ui::TOUCH_EVENT_ENDED) {
        goBack();
    }
}

void GBRegistScene::goBack() {
    removeNetListeners();
    slideTo(GBLoginScene::create(), Slide::BACK);
}

void GBRegistScene::removeNetListeners() {
    GBDirector::getInstance()->removeListeners(kRegEvent);
}
