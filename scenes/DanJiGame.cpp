#include "DanJiGame.h"

#include "HelloWorld.h"
#include "SceneSupport.h"

USING_NS_CC;
using scenes::designSize;

namespace {
const char* const kScoreKey = "score";
constexpr int kDefaultScore = 50;
} // namespace

DanJiGame* DanJiGame::create(int level) {
    auto* game = new (std::nothrow) DanJiGame();
    if (game && game->init(level)) {
        game->autorelease();
        return game;
    }
    delete game;
    return nullptr;
}

bool DanJiGame::init(int level_) {
    if (!GoBangGame::init()) {
        return false;
    }
    level = level_;
    stake = 2 * level + 2;
    score = 0;
    const Size design = designSize();
    auto* back = scenes::addButton(this, "images/selectback.png",
                                   Vec2(design.width - 100, design.height - 100), this,
                                   toucheventselector(DanJiGame::onBack));
    back->setScale(0.5f);
    createScoreLabel();
    scenes::addBackKey(this, [this] { goBack(); });
    startGame();
    return true;
}

void DanJiGame::createScoreLabel() {
    UserDefault* store = UserDefault::getInstance();
    score = store->getIntegerForKey(kScoreKey, kDefaultScore) - stake;
    store->setIntegerForKey(kScoreKey, score);
    scoreLabel = ui::Text::create(StringUtils::format("Score : %d", score), "Arial", 30);
    addChild(scoreLabel);
    // With its centred anchor, half its size away from the bottom-left corner.
    scoreLabel->setPosition(scoreLabel->getContentSize());
}

void DanJiGame::addScore(int delta) {
    UserDefault* store = UserDefault::getInstance();
    score = store->getIntegerForKey(kScoreKey, kDefaultScore) + delta;
    store->setIntegerForKey(kScoreKey, score);
    scoreLabel->setString(StringUtils::format("Score : %d", score));
    scoreLabel->setPosition(scoreLabel->getContentSize());
}

void DanJiGame::startGame() {
    const int32_t colour = cocos2d::random() % 2 == 0 ? kBlack : kWhite;
    player.active = false;
    player.colour = colour;
    ai = AIPlayer(opponentOf(colour), level, this);
    createCursorStone(colour);
    const Size design = designSize();
    sideStones[colour - 1]->setPosition(Vec2(50, 100));
    sideStones[opponentOf(colour) - 1]->setPosition(Vec2(50, design.height - 100));
    playing = true;
    if (colour == kBlack) {
        player.active = true;
        showTurn(colour, "yourturn");
    } else {
        showTurn(colour, "computerturn");
        ai.think(board); // the computer opens
    }
}

bool DanJiGame::isMyTurn() {
    return player.active;
}

// Places a stone and judges it. The full-board test comes first: a stone that takes the last
// point is a draw even if it also makes five. True when the game ended.
bool DanJiGame::placeAndJudge(int x, int y, int32_t colour, bool byUser) {
    putChess(x, y, colour);
    if (isBoardFull(board)) {
        addScore(stake);
        playing = false;
        gameOver(kDraw);
        return true;
    }
    if (checkFive(board, x, y, colour)) {
        onFiveInRow(byUser);
        return true;
    }
    return false;
}

void DanJiGame::playChess(int x, int y) {
    player.endTurn();
    if (!placeAndJudge(x, y, player.colour, true)) {
        showTurn(player.colour, "computerturn");
        ai.think(board);
    }
}

void DanJiGame::computerMove(int x, int y) {
    ai.endTurn();
    if (!placeAndJudge(x, y, ai.colour, false)) {
        player.active = true;
        showTurn(player.colour, "yourturn");
    }
}

void DanJiGame::onFiveInRow(bool localPlayer) {
    playing = false;
    if (localPlayer) {
        addScore(2 * stake);
        gameOver(kWon);
    } else {
        gameOver(kLost);
    }
}

void DanJiGame::gameOver(int result) {
    showTurn(player.colour, result == kWon ? "youwon" : result == kLost ? "youlost" : "draw");
    markFiveOfLastStone();
    const Size design = designSize();
    resultButton =
        scenes::addButton(this, StringUtils::format("images/gameover%d.png", result).c_str(),
                          Vec2::ZERO, this, toucheventselector(DanJiGame::onResult));
    resultButton->setPosition(
        Vec2(design.width * 0.5f, -0.5f * resultButton->getContentSize().height));
    resultButton->runAction(MoveTo::create(1.0f, Vec2(design.width / 2, design.height / 2)));
}

void DanJiGame::onResult(Ref*, ui::TouchEventType type) {
    if (type != ui::TOUCH_EVENT_ENDED) {
        return;
    }
    resultButton->removeFromParentAndCleanup(true);
    resultButton = nullptr;
    clearBoard();
    hideMarkers();
    startGame();
}

void DanJiGame::onBack(Ref*, ui::TouchEventType type) {
    if (type == ui::TOUCH_EVENT_ENDED) {
        goBack();
    }
}

void DanJiGame::goBack() {
    scenes::slideTo(HelloWorld::create(), scenes::Slide::BACK);
}
