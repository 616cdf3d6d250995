#include "DanJiGame.h"

#include "Design.h"
#include "FormKeys.h"
#include "HelloWorld.h"
#include "Slide.h"
#include "Sounds.h"
#include "Widgets.h"

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
    addOwnControls();
    startGame();
    return true;
}

// Small buttons of our own: Undo in the free space of the top row, left of the back button;
// the review arrows below the board, shown only after a game.
void DanJiGame::addOwnControls() {
    const Size design = designSize();
    const std::pair<const char*, std::function<void()>> small[] = {
        {"images/undo.png", [this] { undo(); }}, {"images/hint.png", [this] { hint(); }}};
    for (size_t i = 0; i < std::size(small); ++i) {
        auto* button =
            scenes::addButton(this, small[i].first, Vec2(245 + 105 * float(i), design.height - 100),
                              nullptr, nullptr);
        button->addTouchEventListener([act = small[i].second](Ref*, ui::Widget::TouchEventType t) {
            if (t == ui::Widget::TouchEventType::ENDED) {
                act();
            }
        });
    }
    showLevelButton();
    const char* arrows[] = {"images/prev.png", "images/next.png"};
    for (int i = 0; i < 2; ++i) {
        reviewButtons[i] = scenes::addButton(
            this, arrows[i], Vec2(design.width / 2 + (i == 0 ? -45 : 45), 160), nullptr, nullptr);
        reviewButtons[i]->addTouchEventListener([this, i](Ref*, ui::Widget::TouchEventType type) {
            if (type == ui::Widget::TouchEventType::ENDED) {
                review(i == 0 ? -1 : 1);
            }
        });
    }
    auto* keys = EventListenerKeyboard::create();
    keys->onKeyPressed = [this](EventKeyboard::KeyCode key, Event* event) { onKey(key, event); };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(keys, this);
}

void DanJiGame::onKey(EventKeyboard::KeyCode key, Event* event) {
    switch (key) {
    case EventKeyboard::KeyCode::KEY_Z:
        if (static_cast<EventKeyboard*>(event)->isCtrlDown()) {
            undo();
        }
        break;
    case EventKeyboard::KeyCode::KEY_H:
        hint();
        break;
    case EventKeyboard::KeyCode::KEY_LEFT_ARROW:
        review(-1);
        break;
    case EventKeyboard::KeyCode::KEY_RIGHT_ARROW:
        review(1);
        break;
    default:
        break;
    }
}

bool DanJiGame::undo() {
    // The player's turn, with the player's move and the computer's answer after it on the board.
    const size_t own = player.colour == kBlack ? 0 : 1; // the computer opened as black
    if (!playing || !player.active || getStones().size() < own + 2) {
        return false;
    }
    takeBack(2);
    assisted = true;
    showTurn(player.colour, "yourturn");
    return true;
}

bool DanJiGame::hint() {
    if (!playing || !player.active) {
        return false;
    }
    clearHint();
    const Point p = Opponent(Level::Hard, player.colour, nullptr).chooseMove(board);
    if (!p.valid()) {
        return false;
    }
    hintStone = Sprite::createWithTexture(sideStones[player.colour - 1]->getTexture());
    hintStone->setOpacity(110);
    getBoardSprite()->addChild(hintStone, 2);
    hintStone->setPosition(pointPosition(p.x, p.y));
    assisted = true;
    return true;
}

void DanJiGame::clearHint() {
    if (hintStone) {
        hintStone->removeFromParentAndCleanup(true);
        hintStone = nullptr;
    }
}

Level DanJiGame::chosenLevel() {
    Level level = Level::Normal;
    parseLevel(UserDefault::getInstance()->getStringForKey("computerlevel", "normal"), level);
    return level;
}

void DanJiGame::nextLevel() {
    const Level next = chosenLevel() == Level::Easy     ? Level::Normal
                       : chosenLevel() == Level::Normal ? Level::Hard
                                                        : Level::Easy;
    UserDefault::getInstance()->setStringForKey("computerlevel", levelName(next));
    showLevelButton();
}

// One button per level in one place, the one of the next game's level shown: a touch on it
// steps the choice on.
void DanJiGame::showLevelButton() {
    const Level levels[] = {Level::Easy, Level::Normal, Level::Hard};
    for (int i = 0; i < 3; ++i) {
        if (!levelButtons[i]) {
            const std::string picture = std::string("images/") + levelName(levels[i]) + ".png";
            levelButtons[i] = scenes::addButton(
                this, picture.c_str(), Vec2(140, designSize().height - 100), nullptr, nullptr);
            levelButtons[i]->addTouchEventListener([this](Ref*, ui::Widget::TouchEventType t) {
                if (t == ui::Widget::TouchEventType::ENDED) {
                    nextLevel();
                }
            });
        }
        levelButtons[i]->setVisible(levels[i] == chosenLevel());
    }
}

void DanJiGame::review(int step) {
    if (playing || !resultButton) {
        return;
    }
    const size_t shown = movesShown();
    if (step < 0 && shown > 0) {
        showMoves(shown - 1);
    } else if (step > 0) {
        showMoves(shown + 1);
    }
}

void DanJiGame::showReview(bool shown) {
    for (ui::Button* arrow : reviewButtons) {
        if (arrow) {
            arrow->setVisible(shown);
        }
    }
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
    assisted = false;
    showReview(false);
    player.active = false;
    player.colour = colour;
    ai = AIPlayer(opponentOf(colour), level, this);
    gameLevel = chosenLevel();
    other = Opponent(gameLevel, opponentOf(colour), this, ++easySeed);
    clearHint();
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
        computerThinks(); // the computer opens
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
    clearHint();
    scenes::play(scenes::Sound::Stone);
    if (!placeAndJudge(x, y, player.colour, true)) {
        showTurn(player.colour, "computerturn");
        computerThinks();
    }
}

void DanJiGame::computerThinks() {
    if (gameLevel == Level::Normal) {
        ai.think(board);
    } else {
        other.think(board);
    }
}

void DanJiGame::computerMove(int x, int y) {
    ai.endTurn();
    other.endTurn();
    scenes::play(scenes::Sound::OpponentStone);
    if (!placeAndJudge(x, y, ai.colour, false)) {
        player.active = true;
        showTurn(player.colour, "yourturn");
    }
}

void DanJiGame::onFiveInRow(bool localPlayer) {
    playing = false;
    if (localPlayer) {
        addScore(assisted ? 0 : 2 * stake); // an assisted win pays no bonus
        gameOver(kWon);
    } else {
        gameOver(kLost);
    }
}

void DanJiGame::gameOver(int result) {
    showTurn(player.colour, result == kWon ? "youwon" : result == kLost ? "youlost" : "draw");
    scenes::play(result == kWon    ? scenes::Sound::Won
                 : result == kLost ? scenes::Sound::Lost
                                   : scenes::Sound::Draw);
    markFiveOfLastStone();
    showReview(true);
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
