#include "GBNetGame.h"

#include "Design.h"
#include "EventCodes.h"
#include "GBDirector.h"
#include "GBLoginScene.h"
#include "GBMatchScene.h"
#include "Listeners.h"
#include "Slide.h"
#include "Sounds.h"
#include "TextBounds.h"
#include "Widgets.h"

#include <cstdlib>
#include <iterator>

USING_NS_CC;
using namespace scenes;

namespace {
const char* const kClockKey = "NetGameTiming";
constexpr int kMoveSeconds = 60;
// From here on the clock's number is red: the move is nearly out of time.
constexpr int kHurrySeconds = 10;
const char* const kEvents[] = {"gb_event_getuserinfo", "gb_event_chess",    "gb_event_oppchess",
                               "gb_event_oppquit",     "gb_event_overtime", kConnectionEvent};

bool knownOutcome(int32_t outcome) {
    return outcome == OUTCOME_BLACK_WON || outcome == OUTCOME_WHITE_WON || outcome == OUTCOME_DRAW;
}
} // namespace

GBNetGame::~GBNetGame() {
    forgetListeners(this);
}

GBNetGame* GBNetGame::create(int firstId, int secondId) {
    auto* game = new (std::nothrow) GBNetGame();
    if (game && game->init(firstId, secondId)) {
        game->autorelease();
        return game;
    }
    delete game;
    return nullptr;
}

bool GBNetGame::init(int firstId, int secondId) {
    if (!GoBangGame::init()) {
        return false;
    }
    GBDirector* director = GBDirector::getInstance();
    if (director->userId == -1) {
        return false;
    }
    if (firstId == director->userId) {
        myId = firstId;
        oppId = secondId;
        myColour = kBlack;
        myTurn = true;
    } else if (secondId == director->userId) {
        myId = secondId;
        oppId = firstId;
        myColour = kWhite;
        myTurn = false;
    } else {
        return false;
    }
    const Size design = designSize();
    timeText = ui::Text::create("", "arial", 20);
    addChild(timeText);
    timeText->setPosition(Vec2(-100, -100));
    myInfoText = ui::Text::create("", "arial", 20);
    addChild(myInfoText);
    myInfoText->setAnchorPoint(Vec2(0, 0.5f));
    myInfoText->setPosition(Vec2(20, 50));
    oppInfoText = ui::Text::create("", "arial", 20);
    addChild(oppInfoText);
    oppInfoText->setAnchorPoint(Vec2(0, 0.5f));
    oppInfoText->setPosition(Vec2(20, design.height - 50));
    auto* back =
        addButton(this, "images/selectback.png", Vec2(design.width - 100, design.height - 100),
                  this, toucheventselector(GBNetGame::onBack));
    back->setScale(0.5f);

    startGame();
    const GBDirector::Listener calls[] = {[this](const ResponseDataPack& p) { onUserInfo(p); },
                                          [this](const ResponseDataPack& p) { onChessResponse(p); },
                                          [this](const ResponseDataPack& p) { onOppChess(p); },
                                          [this](const ResponseDataPack& p) { onOppQuit(p); },
                                          [this](const ResponseDataPack& p) { onOverTime(p); },
                                          [this](const ResponseDataPack& p) { onConnection(p); }};
    static_assert(std::size(calls) == std::size(kEvents));
    for (size_t i = 0; i < std::size(kEvents); ++i) {
        director->addListener(kEvents[i], calls[i], this);
    }
    auto* keys = EventListenerKeyboard::create();
    keys->onKeyPressed = [this](EventKeyboard::KeyCode key, Event*) {
        if (key == EventKeyboard::KeyCode::KEY_ESCAPE) {
            onEscape();
        } else if (leaveQuestion && (key == EventKeyboard::KeyCode::KEY_ENTER ||
                                     key == EventKeyboard::KeyCode::KEY_KP_ENTER)) {
            leaveGame();
        }
    };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(keys, this);
    return true;
}

void GBNetGame::removeNetListeners() {
    for (const char* name : kEvents) {
        GBDirector::getInstance()->removeListeners(name);
    }
}

void GBNetGame::requestUserInfo() {
    for (int32_t id : {myId, oppId}) {
        auto* body = new CLDataBuffer();
        body->addInt(id);
        GBDirector::getInstance()->sendRequest(EVENT_GETUSERINFO, body, nullptr, false);
    }
}

void GBNetGame::startGame() {
    requestUserInfo();
    createCursorStone(myColour);
    const Size design = designSize();
    sideStones[myColour - 1]->setPosition(Vec2(50, 100));
    sideStones[opponentOf(myColour) - 1]->setPosition(Vec2(50, design.height - 100));
    playing = true;
    myTurn = myColour == kBlack;
    showTurn(myColour, myTurn ? "yourturn" : "opponentturn");
    startClock(myTurn);
}

bool GBNetGame::isMyTurn() {
    return myTurn;
}

void GBNetGame::onFiveInRow(bool) {}

void GBNetGame::playChess(int x, int y) {
    if (!playing || !myTurn) {
        return;
    }
    // The stone is placed when the server accepts it, not before.
    auto* body = new CLDataBuffer();
    body->addInt(x);
    body->addInt(y);
    GBDirector::getInstance()->sendRequest(EVENT_CHESS, body, nullptr, true);
}

int GBNetGame::resultFor(int32_t outcome, int32_t colour) {
    switch (outcome) {
    case OUTCOME_BLACK_WON:
        return colour == kBlack ? 1 : 2;
    case OUTCOME_WHITE_WON:
        return colour == kWhite ? 1 : 2;
    case OUTCOME_DRAW:
        return 0;
    default:
        return 2;
    }
}

void GBNetGame::onChessResponse(const ResponseDataPack& pack) {
    if (pack.status != PACKET_RECEIVED || !myTurn || !playing || !pack.response ||
        pack.response->intAt(0) != 1) {
        return;
    }
    const auto x = pack.request ? pack.request->intAt(0) : std::nullopt;
    const auto y = pack.request ? pack.request->intAt(1) : std::nullopt;
    const auto over = pack.response->intAt(1);
    if (!x || !y || !over || !onBoard(*x, *y) || board[cellIndex(*x, *y)] != kEmpty) {
        return;
    }
    const auto outcome = pack.response->intAt(2);
    if (*over == 1 && !(outcome && knownOutcome(*outcome))) {
        return;
    }
    putChess(*x, *y, myColour);
    play(Sound::Stone);
    myTurn = false;
    stopClock();
    if (*over == 1) {
        gameOver(resultFor(*outcome, myColour));
    } else {
        showTurn(myColour, "opponentturn");
        startClock(false);
    }
}

void GBNetGame::onOppChess(const ResponseDataPack& pack) {
    if (pack.status != PACKET_RECEIVED || myTurn || !playing || !pack.response) {
        return;
    }
    const CLDataBuffer& f = *pack.response;
    const auto x = f.intAt(0);
    const auto y = f.intAt(1);
    const auto over = f.intAt(2);
    // A point off the board or already taken is not a move this board can show.
    const auto outcome = f.intAt(3);
    if (!x || !y || !over || !onBoard(*x, *y) || board[cellIndex(*x, *y)] != kEmpty ||
        (*over == 1 && !(outcome && knownOutcome(*outcome)))) {
        return;
    }
    putChess(*x, *y, opponentOf(myColour));
    play(Sound::OpponentStone);
    stopClock();
    if (*over == 1) {
        gameOver(resultFor(*outcome, myColour));
    } else {
        myTurn = true;
        showTurn(myColour, "yourturn");
        startClock(true);
    }
}

void GBNetGame::showNotice(const char* key, float below) {
    const Size design = designSize();
    auto* notice = ui::Text::create(GBDirector::getInstance()->getText(key), "Arial", 20);
    notice->setColor(Color3B::RED);
    addChild(notice);
    notice->setPosition(Vec2(design.width / 2, design.height - 200 - below));
}

void GBNetGame::onOppQuit(const ResponseDataPack& pack) {
    if (pack.status != PACKET_RECEIVED || !playing || !pack.response ||
        pack.response->intAt(0) != oppId) {
        return;
    }
    showNotice("leave");
    stopClock();
    gameOver(1);
}

void GBNetGame::onOverTime(const ResponseDataPack& pack) {
    if (pack.status != PACKET_RECEIVED || !playing || !pack.response) {
        return;
    }
    // A push naming neither player is not about this game: a stream of them must not pile up
    // notices while play goes on.
    // The push names the winner: the other player ran out of time.
    const std::optional<int32_t> winner = pack.response->intAt(0);
    if (!winner.has_value() || (*winner != oppId && *winner != myId)) {
        return;
    }
    showNotice("overtime");
    // Who it was, in a line of our own under the notice.
    showNotice(*winner == oppId ? "overtimeyou" : "overtimeopponent", 28);
    stopClock();
    gameOver(*winner == oppId ? 2 : 1);
}

void GBNetGame::gameOver(int result) {
    myTurn = false;
    playing = false;
    closeQuestion(); // it no longer costs anything to leave
    // The clock has no move left to count; the turn line says how it ended.
    timeText->setString("");
    showTurn(myColour, result == 1 ? "youwon" : result == 2 ? "youlost" : "draw");
    play(result == 1 ? Sound::Won : result == 2 ? Sound::Lost : Sound::Draw);
    markFiveOfLastStone();
    requestUserInfo();
    const Size design = designSize();
    auto* picture = addButton(this, StringUtils::format("images/gameover%d.png", result).c_str(),
                              Vec2::ZERO, this, toucheventselector(GBNetGame::onBack));
    picture->setPosition(Vec2(design.width / 2, -picture->getContentSize().height / 2));
    picture->runAction(MoveTo::create(1.0f, Vec2(design.width / 2, design.height / 2)));
}

void GBNetGame::onUserInfo(const ResponseDataPack& pack) {
    if (pack.status != PACKET_RECEIVED || !pack.response || pack.response->fieldCount() < 6) {
        return;
    }
    const CLDataBuffer& f = *pack.response;
    const auto id = f.intAt(0);
    const auto name = f.stringAt(1);
    const auto score = f.intAt(2);
    const auto won = f.intAt(3);
    const auto lost = f.intAt(4);
    const auto tied = f.intAt(5);
    if (!id || !name || !score || !won || !lost || !tied) {
        return;
    }
    GBDirector* director = GBDirector::getInstance();
    const std::string line = firstBytes(*name, kMaxNameBytes) + ": " +
                             StringUtils::format("%d", *score) + director->getText("score") +
                             StringUtils::format(" %d", *won) + director->getText("win") +
                             StringUtils::format(" %d", *lost) + director->getText("lose") +
                             StringUtils::format(" %d", *tied) + director->getText("tied");
    if (*id == myId) {
        myInfoText->setString(line);
    } else if (*id == oppId) {
        oppInfoText->setString(line);
    }
}

void GBNetGame::startClock(bool localSide) {
    stopClock();
    timeText->setString(StringUtils::format("%d", kMoveSeconds));
    timeText->setColor(Color3B::WHITE);
    timeText->setPosition(localSide ? Vec2(50, 150) : Vec2(50, designSize().height - 150));
    Director::getInstance()->getScheduler()->schedule(CC_CALLBACK_1(GBNetGame::onClockTick, this),
                                                      this, 1.0f, kMoveSeconds, 1.0f, false,
                                                      kClockKey);
}

void GBNetGame::stopClock() {
    Director::getInstance()->getScheduler()->unschedule(kClockKey, this);
}

void GBNetGame::onClockTick(float) {
    const int left = std::max(0, std::atoi(timeText->getString().c_str()) - 1);
    timeText->setString(StringUtils::format("%d", left));
    if (left <= kHurrySeconds) {
        timeText->setColor(Color3B::RED);
    }
}

void GBNetGame::onBack(Ref*, ui::TouchEventType type) {
    if (type == ui::TOUCH_EVENT_ENDED) {
        leaveGame();
    }
}

void GBNetGame::onEscape() {
    if (leaveQuestion) {
        closeQuestion();
    } else if (playing) {
        askToLeave();
    } else {
        leaveGame();
    }
}

// Over everything, and taking every touch that misses its two buttons, so the board cannot be
// played while it is up.
void GBNetGame::askToLeave() {
    const Size design = designSize();
    const Vec2 centre(design.width / 2, design.height / 2);
    auto* shade = LayerColor::create(Color4B(0, 0, 0, 120));
    addChild(shade, 20);
    auto* swallow = EventListenerTouchOneByOne::create();
    swallow->setSwallowTouches(true);
    swallow->onTouchBegan = [](Touch*, Event*) { return true; };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(swallow, shade);
    if (Sprite* panel = Sprite::create("images/dialog.png")) {
        shade->addChild(panel);
        panel->setPosition(centre);
    }
    auto* question =
        ui::Text::create(GBDirector::getInstance()->getText("leavequestion"), "Arial", 24);
    question->setColor(Color3B(250, 236, 205));
    shade->addChild(question);
    question->setPosition(centre + Vec2(0, 45));
    addButton(shade, "images/leave.png", centre + Vec2(-95, -45), this,
              toucheventselector(GBNetGame::onBack));
    auto* stay = ui::Button::create("images/stay.png", "", "", ui::Widget::TextureResType::LOCAL);
    shade->addChild(stay);
    stay->setPosition(centre + Vec2(95, -45));
    stay->setPressedActionEnabled(true);
    stay->addTouchEventListener([this](Ref*, ui::Widget::TouchEventType type) {
        if (type == ui::Widget::TouchEventType::ENDED) {
            closeQuestion();
        }
    });
    leaveQuestion = shade;
}

void GBNetGame::closeQuestion() {
    if (leaveQuestion) {
        leaveQuestion->removeFromParentAndCleanup(true);
        leaveQuestion = nullptr;
    }
}

void GBNetGame::leaveGame() {
    removeNetListeners();
    GBDirector::getInstance()->sendRequest(EVENT_QUITCHESS, new CLDataBuffer(), nullptr, false);
    slideTo(GBMatchScene::create(), Slide::BACK);
}

// The listeners go before the next scene is made, which registers its own under the same names.
void GBNetGame::endHere() {
    removeNetListeners();
    stopClock();
    myTurn = false;
    playing = false;
}

void GBNetGame::onConnection(const ResponseDataPack& pack) {
    GBDirector* director = GBDirector::getInstance();
    switch (GBDirector::connectionChangeOf(pack).value_or(ConnectionChange::RESUMED)) {
    case ConnectionChange::LOST: {
        endHere();
        GBMatchScene* room = GBMatchScene::create();
        if (room) {
            room->showConnectionLost();
        }
        slideTo(room, Slide::BACK);
        break;
    }
    case ConnectionChange::TAKEN_OVER:
        endHere();
        slideTo(GBLoginScene::createWithMessage(director->getText("elsewhere")), Slide::BACK);
        break;
    case ConnectionChange::REFUSED:
        endHere();
        slideTo(GBLoginScene::createWithMessage(director->getText("loginfailed")), Slide::BACK);
        break;
    case ConnectionChange::RESUMED:
        break;
    }
}
