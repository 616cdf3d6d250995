#include "HelloWorld.h"

#include "DanJiGame.h"
#include "Design.h"
#include "EventCodes.h"
#include "GBDirector.h"
#include "GBLoginScene.h"
#include "Listeners.h"
#include "Slide.h"
#include "TextBounds.h"
#include "Widgets.h"

USING_NS_CC;
using namespace scenes;

namespace {
const char* const kNoticeEvent = "gb_event_getnotice";
// The notice answer's second text begins with its date, which is all the menu shows of it.
constexpr size_t kDateCharacters = 10;
} // namespace

HelloWorld::~HelloWorld() {
    forgetListeners(this);
}

bool HelloWorld::init() {
    if (!LayerColor::initWithColor(kBackground)) {
        return false;
    }
    const Size design = designSize();
    noticeText = ui::Text::create("", "Arial", 24);
    noticeText->setTextAreaSize(Size(design.width, 100));
    addChild(noticeText);
    noticeText->setAnchorPoint(Vec2(0, 1));
    noticeText->setPosition(Vec2(0, 40));

    const Vec2 centre(design.width / 2, design.height / 2);
    // Stacked by their own heights: single player above the middle, exit below.
    auto* single = addButton(this, "images/danjigame.png", centre, this,
                             toucheventselector(HelloWorld::onDanJiGame));
    single->setPosition(centre + Vec2(0, single->getContentSize().height));
    addButton(this, "images/netgame.png", centre, this, toucheventselector(HelloWorld::onNetGame));
    auto* exit = addButton(this, "images/exitgame.png", centre, this,
                           toucheventselector(HelloWorld::onExitGame));
    exit->setPosition(centre - Vec2(0, exit->getContentSize().height));

    GBDirector* director = GBDirector::getInstance();
    director->addListener(
        kNoticeEvent, [this](const ResponseDataPack& pack) { onNotice(pack); }, this);
    auto* body = new CLDataBuffer();
    body->addString("cn");
    director->sendRequest(EVENT_GETNOTICE, body, nullptr, false);
    return true;
}

void HelloWorld::leaveFor(Layer* layer) {
    // A scene that cannot be built (its pictures are missing) leaves the menu as it is.
    if (!layer) {
        return;
    }
    GBDirector::getInstance()->removeListeners(kNoticeEvent);
    slideTo(layer, Slide::FORWARD);
}

void HelloWorld::onDanJiGame(Ref*, ui::TouchEventType type) {
    if (type == ui::TOUCH_EVENT_ENDED) {
        leaveFor(DanJiGame::create(0));
    }
}

void HelloWorld::onNetGame(Ref*, ui::TouchEventType type) {
    if (type == ui::TOUCH_EVENT_ENDED) {
        leaveFor(GBLoginScene::create());
    }
}

void HelloWorld::onExitGame(Ref*, ui::TouchEventType type) {
    if (type == ui::TOUCH_EVENT_ENDED) {
        GBDirector::getInstance()->removeListeners(kNoticeEvent);
        Director::getInstance()->end();
    }
}

bool HelloWorld::noticeLine(const CLDataBuffer* response, std::string& line) {
    const auto result = response ? response->intAt(0) : std::nullopt;
    if (!result) {
        return false;
    }
    if (*result != 1) {
        line.clear();
        return true;
    }
    const auto notice = response->stringAt(1);
    const auto dated = response->stringAt(2);
    if (!notice || !dated) {
        return false;
    }
    line = firstCharacters(*dated, kDateCharacters) + "  " +
           firstCharacters(*notice, kMaxNoticeCharacters);
    return true;
}

void HelloWorld::onNotice(const ResponseDataPack& pack) {
    std::string line;
    if (pack.status == PACKET_RECEIVED && noticeLine(pack.response, line)) {
        noticeText->setString(line);
    }
}
