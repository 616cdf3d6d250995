#include "GoBangGame.h"

#include "Design.h"
#include "GBDirector.h"
#include "Sounds.h"

#include <algorithm>
#include <cassert>
#include <iterator>

USING_NS_CC;

namespace {
const Vec2 kOffScreen(-100, -100);
// Above every other child, the result picture included: the winning line stays in sight.
constexpr int kMarkZ = 10;
// Below the board (its bottom edge at 251), above the local side's clock (150).
constexpr float kTurnLineY = 215;

int axisIndex(double p, double margin) {
    const int t = static_cast<int>(p - margin + GoBangGame::kSpacing / 2);
    return static_cast<int>(t / GoBangGame::kSpacing);
}
} // namespace

bool GoBangGame::init() {
    if (!LayerColor::initWithColor(scenes::kBackground)) {
        return false;
    }
    sideStones[0] = Sprite::create("images/black.png");
    sideStones[1] = Sprite::create("images/white.png");
    boardSprite = Sprite::create("images/chessback.png");
    highlight = Sprite::create("images/highlight.png");
    // Every stone is drawn from these pictures: without them there is no game to show.
    if (!sideStones[0] || !sideStones[1] || !boardSprite || !highlight) {
        return false;
    }
    for (Sprite* side : sideStones) {
        addChild(side);
        side->setPosition(kOffScreen);
    }
    clearBoard();
    boardSprite->setPosition(scenes::designSize() / 2);
    addChild(boardSprite);
    cursorStone = nullptr;
    boardSprite->addChild(highlight, 0);
    highlight->setPosition(kOffScreen);
    turnText = ui::Text::create("", "Arial", 24);
    turnText->setColor(Color3B(250, 236, 205));
    addChild(turnText);
    turnText->setPosition(Vec2(scenes::designSize().width / 2, kTurnLineY));

    // Keys every game shares: N for the move numbers, M for the sounds.
    auto* keys = EventListenerKeyboard::create();
    keys->onKeyPressed = [this](EventKeyboard::KeyCode key, Event*) {
        if (key == EventKeyboard::KeyCode::KEY_N) {
            toggleMoveNumbers();
        } else if (key == EventKeyboard::KeyCode::KEY_M) {
            scenes::toggleMute();
        }
    };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(keys, this);

    auto* listener = EventListenerTouchOneByOne::create();
    listener->onTouchBegan = [this](Touch* t, Event* e) { return onTouchBegan(t, e); };
    listener->onTouchMoved = [this](Touch* t, Event* e) { onTouchMoved(t, e); };
    listener->onTouchEnded = [this](Touch* t, Event* e) { onTouchEnded(t, e); };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(listener, this);
    return true;
}

Vec2 GoBangGame::toBoard(const Vec2& location) const {
    return location - boardSprite->getPosition() + boardSprite->getContentSize() / 2;
}

void GoBangGame::moveCursor(const Vec2& location) {
    // Tests and the networked game may ask about touches before any game set a cursor up.
    if (cursorStone) {
        cursorStone->setPosition(location);
    }
}

bool GoBangGame::onTouchBegan(Touch* touch, Event*) {
    const Vec2 local = toBoard(touch->getLocation());
    const Size size = boardSprite->getContentSize();
    if (!playing || local.x <= 0 || local.x >= size.width || local.y <= 0 ||
        local.y >= size.height) {
        return false;
    }
    moveCursor(touch->getLocation());
    return true;
}

void GoBangGame::onTouchMoved(Touch* touch, Event*) {
    moveCursor(touch->getLocation());
}

void GoBangGame::onTouchEnded(Touch* touch, Event*) {
    const Point p = touchToPoint(toBoard(touch->getLocation()));
    if (isMyTurn() && p.valid() && board[cellIndex(p.x, p.y)] == kEmpty) {
        playChess(p.x, p.y);
    }
    moveCursor(kOffScreen);
}

Point GoBangGame::touchToPoint(const Vec2& local) {
    return Point{axisIndex(local.x, kMarginX), axisIndex(local.y, kMarginY)};
}

Vec2 GoBangGame::pointPosition(int x, int y) {
    return Vec2(static_cast<float>(kMarginX + kSpacing * x),
                static_cast<float>(kMarginY + kSpacing * y));
}

void GoBangGame::putChess(int x, int y, int32_t colour) {
    assert(onBoard(x, y) && (colour == kBlack || colour == kWhite));
    Sprite* stone = Sprite::createWithTexture(sideStones[colour - 1]->getTexture());
    // Names repeat ((1, 11) and (11, 1) are both "q111"): they are never used to find a stone.
    boardSprite->addChild(stone, 1, StringUtils::format("q%d%d", x, y));
    board[cellIndex(x, y)] = colour;
    const Vec2 at = pointPosition(x, y);
    stone->setPosition(at);
    highlight->setPosition(at);
    stones.push_back(stone);
    // The number in the stone's middle, in the other stone's colour.
    auto* number = ui::Text::create(std::to_string(stones.size()), "Arial", 15);
    number->setColor(colour == kBlack ? Color3B(240, 236, 228) : Color3B(30, 30, 32));
    stone->addChild(number);
    number->setPosition(stone->getContentSize() / 2);
    number->setVisible(moveNumbersShown());
    lastX = x;
    lastY = y;
    moves.push_back(cellIndex(x, y));
    shownMoves = moves.size();
}

void GoBangGame::takeBack(size_t count) {
    for (; count > 0 && !stones.empty(); --count) {
        stones.back()->removeFromParentAndCleanup(true);
        stones.pop_back();
        board[moves.back()] = kEmpty;
        moves.pop_back();
    }
    shownMoves = moves.size();
    lastX = moves.empty() ? -1 : moves.back() / kBoardSize;
    lastY = moves.empty() ? -1 : moves.back() % kBoardSize;
    highlight->setPosition(moves.empty() ? kOffScreen : pointPosition(lastX, lastY));
}

void GoBangGame::showMoves(size_t count) {
    shownMoves = std::min(count, stones.size());
    for (size_t i = 0; i < stones.size(); ++i) {
        stones[i]->setVisible(i < shownMoves);
    }
    highlight->setPosition(shownMoves == 0 ? kOffScreen : stones[shownMoves - 1]->getPosition());
    for (Sprite* mark : fiveMarks) {
        mark->setVisible(shownMoves == stones.size());
    }
}

void GoBangGame::markFiveOfLastStone() {
    if (!onBoard(lastX, lastY) || board[cellIndex(lastX, lastY)] == kEmpty) {
        return;
    }
    int line[kBoardSize];
    const int n = fiveLine(board, lastX, lastY, board[cellIndex(lastX, lastY)], line);
    for (int i = 0; i < n; ++i) {
        Sprite* mark = Sprite::create("images/winmark.png");
        if (!mark) {
            return;
        }
        addChild(mark, kMarkZ);
        const Vec2 at = pointPosition(line[i] / kBoardSize, line[i] % kBoardSize);
        mark->setPosition(boardSprite->convertToWorldSpace(at));
        fiveMarks.push_back(mark);
    }
}

void GoBangGame::showTurn(int32_t colour, const char* key) {
    GBDirector* director = GBDirector::getInstance();
    turnText->setString(director->getText("youplay") + " " +
                        director->getText(colour == kBlack ? "black" : "white") + " - " +
                        director->getText(key));
}

bool GoBangGame::moveNumbersShown() {
    return UserDefault::getInstance()->getIntegerForKey("movenumbers", 0) != 0;
}

void GoBangGame::toggleMoveNumbers() {
    const bool shown = !moveNumbersShown();
    UserDefault::getInstance()->setIntegerForKey("movenumbers", shown ? 1 : 0);
    for (Sprite* stone : stones) {
        for (Node* number : stone->getChildren()) {
            number->setVisible(shown);
        }
    }
}

const std::string& GoBangGame::getTurnLine() const {
    return turnText->getString();
}

void GoBangGame::clearBoard() {
    for (Sprite* stone : stones) {
        stone->removeFromParentAndCleanup(true);
    }
    stones.clear();
    for (Sprite* mark : fiveMarks) {
        mark->removeFromParentAndCleanup(true);
    }
    fiveMarks.clear();
    moves.clear();
    shownMoves = 0;
    lastX = lastY = -1;
    std::fill(std::begin(board), std::end(board), kEmpty);
}

void GoBangGame::hideMarkers() {
    sideStones[0]->setPosition(kOffScreen);
    sideStones[1]->setPosition(kOffScreen);
    highlight->setPosition(kOffScreen);
}

void GoBangGame::createCursorStone(int32_t colour) {
    assert(colour == kBlack || colour == kWhite);
    if (cursorStone) {
        cursorStone->removeFromParentAndCleanup(true);
    }
    cursorStone = Sprite::createWithTexture(sideStones[colour - 1]->getTexture());
    addChild(cursorStone);
    cursorStone->setPosition(kOffScreen);
}
