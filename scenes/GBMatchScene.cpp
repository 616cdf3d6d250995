#include "GBMatchScene.h"

#include "Design.h"
#include "EventCodes.h"
#include "FormKeys.h"
#include "GBDirector.h"
#include "GBLoginScene.h"
#include "GBNetGame.h"
#include "Listeners.h"
#include "Slide.h"
#include "Widgets.h"

USING_NS_CC;
using namespace scenes;

namespace {
const char* const kJoinEvent = "gb_event_joinmatch";
const char* const kCancelEvent = "gb_event_cancelmatch";
const char* const kMatchEvent = "gb_event_matchres";
} // namespace

GBMatchScene::~GBMatchScene() {
    forgetListeners(this);
    if (blinkAction) {
        blinkAction->release();
    }
}

bool GBMatchScene::init() {
    if (!LayerColor::initWithColor(kBackground)) {
        return false;
    }
    isMatching = false;
    const Size design = designSize();
    const Vec2 centre(design.width / 2, design.height / 2);

    auto* back = addButton(this, "images/back.png", Vec2::ZERO, this,
                           toucheventselector(GBMatchScene::onBack));
    back->setPosition(Vec2(design.width, design.height) - back->getContentSize());
    joinButton = addButton(this, "images/joinmatch.png", centre, this,
                           toucheventselector(GBMatchScene::onJoinMatch));
    quitButton = addButton(this, "images/quitmatch.png", centre, this,
                           toucheventselector(GBMatchScene::onQuitMatch));
    quitButton->setVisible(false);
    waitSprite = Sprite::create("images/waitmatch.png");
    if (!waitSprite) {
        return false;
    }
    addChild(waitSprite);
    waitSprite->setPosition(centre + Vec2(0, 200));
    waitSprite->setVisible(false);
    messageText = addMessageLine(this, centre - Vec2(0, 50));
    connectionText = addStatusLine(this, centre - Vec2(0, 130));

    blinkAction = RepeatForever::create(
        Sequence::create(FadeIn::create(1.0f), FadeOut::create(1.0f), nullptr));
    blinkAction->retain();
    addNetListeners();
    addBackKey(this, [this] { goBack(); });
    return true;
}

void GBMatchScene::addNetListeners() {
    GBDirector* director = GBDirector::getInstance();
    director->addListener(
        kJoinEvent, [this](const ResponseDataPack& pack) { onJoinMatchResponse(pack); }, this);
    director->addListener(
        kCancelEvent, [this](const ResponseDataPack& pack) { onCancelMatchResponse(pack); }, this);
    director->addListener(
        kMatchEvent, [this](const ResponseDataPack& pack) { onMatchResult(pack); }, this);
    director->addListener(
        kConnectionEvent, [this](const ResponseDataPack& pack) { onConnection(pack); }, this);
}

void GBMatchScene::removeNetListeners() {
    GBDirector* director = GBDirector::getInstance();
    director->removeListeners(kJoinEvent);
    director->removeListeners(kCancelEvent);
    director->removeListeners(kMatchEvent);
    director->removeListeners(kConnectionEvent);
}

void GBMatchScene::showStatus(const std::string& text) {
    connectionText->setString(text);
}

void GBMatchScene::showConnectionLost() {
    showStatus(GBDirector::getInstance()->getText("connectionlost"));
}

void GBMatchScene::onConnection(const ResponseDataPack& pack) {
    switch (GBDirector::connectionChangeOf(pack).value_or(ConnectionChange::RESUMED)) {
    case ConnectionChange::LOST:
        // The server forgot the queue with the connection.
        if (isMatching) {
            setWaiting(false);
        }
        showConnectionLost();
        break;
    case ConnectionChange::RESUMED:
        connectionText->setString("");
        break;
    case ConnectionChange::TAKEN_OVER:
        removeNetListeners();
        toLoginWith("elsewhere");
        break;
    case ConnectionChange::REFUSED:
        removeNetListeners();
        toLoginWith("loginfailed");
        break;
    }
}

bool GBMatchScene::succeeded(const ResponseDataPack& pack) {
    return pack.response && pack.response->intAt(0) == 1;
}

void GBMatchScene::onJoinMatch(Ref*, ui::TouchEventType type) {
    if (type != ui::TOUCH_EVENT_ENDED) {
        return;
    }
    if (isMatching) {
        messageText->setString(GBDirector::getInstance()->getText("matchwarning"));
        return;
    }
    GBDirector::getInstance()->sendRequest(EVENT_JOINMATCH, new CLDataBuffer(), nullptr, true);
}

void GBMatchScene::onQuitMatch(Ref*, ui::TouchEventType type) {
    if (type != ui::TOUCH_EVENT_ENDED) {
        return;
    }
    if (!isMatching) {
        messageText->setString(GBDirector::getInstance()->getText("matchwarning2"));
        return;
    }
    GBDirector::getInstance()->sendRequest(EVENT_CANCELMATCH, new CLDataBuffer(), nullptr, true);
}

bool GBMatchScene::accepted(const ResponseDataPack& pack) {
    GBDirector* director = GBDirector::getInstance();
    if (pack.status != PACKET_RECEIVED) {
        messageText->setString(director->getText("neterror"));
        return false;
    }
    if (!succeeded(pack)) {
        messageText->setString(director->getText("handleerror"));
        return false;
    }
    return true;
}

void GBMatchScene::setWaiting(bool waiting) {
    messageText->setString("");
    joinButton->setVisible(!waiting);
    quitButton->setVisible(waiting);
    // A second successful join answer (two presses before the first answer) restarts the blink
    // rather than running it twice.
    waitSprite->stopAllActions();
    waitSprite->setVisible(waiting);
    if (waiting) {
        waitSprite->setOpacity(0);
        waitSprite->runAction(blinkAction);
    }
    isMatching = waiting;
}

void GBMatchScene::onJoinMatchResponse(const ResponseDataPack& pack) {
    if (accepted(pack)) {
        setWaiting(true);
    }
}

void GBMatchScene::onCancelMatchResponse(const ResponseDataPack& pack) {
    if (accepted(pack)) {
        setWaiting(false);
    }
}

void GBMatchScene::onMatchResult(const ResponseDataPack& pack) {
    const auto first = pack.response ? pack.response->intAt(1) : std::nullopt;
    const auto second = pack.response ? pack.response->intAt(2) : std::nullopt;
    if (!succeeded(pack) || !first || !second) {
        messageText->setString(GBDirector::getInstance()->getText("handleerror"));
        return;
    }
    removeNetListeners();
    GBNetGame* game = GBNetGame::create(*first, *second);
    if (!game) {
        // A match that names neither player is not ours to play: stay, and hear the next one.
        addNetListeners();
        messageText->setString(GBDirector::getInstance()->getText("handleerror"));
        return;
    }
    slideTo(game, Slide::BACK);
}

void GBMatchScene::toLoginWith(const char* key) {
    slideTo(GBLoginScene::createWithMessage(GBDirector::getInstance()->getText(key)), Slide::BACK);
}

void GBMatchScene::onBack(Ref*, ui::TouchEventType type) {
    if (type == ui::TOUCH_EVENT_ENDED) {
        goBack();
    }
}

void GBMatchScene::goBack() {
    removeNetListeners();
    GBDirector::getInstance()->sendRequest(EVENT_LOGOUT, new CLDataBuffer(), nullptr, false);
    slideTo(GBLoginScene::create(), Slide::BACK);
}
