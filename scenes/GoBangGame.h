#pragma once
// The board scene both game modes derive from: it owns the board and its picture, draws the
// stones, marks the last one, floats a cursor stone under the finger and turns a touch into a
// board point. Turns, opponents, scores and results belong to the subclasses, which answer the
// four hooks below. Main thread only; the engine's node tree owns every sprite, the layer keeps
// plain pointers.
//
// It also shows two things of its own, in free space: the turn line below the board (which
// colour the player has and whose turn it is, or how the game ended), and a glow on each stone
// of a winning line, drawn above everything, the result picture included.
//
// Board picture contract: in the picture's own coordinates (origin at its bottom-left corner)
// intersection (x, y) lies at (12 + 34.8 x, 15 + 34.8 y). res/images/chessback.png is drawn so.

#include "Board.h"
#include "cocos2d.h"
#include "ui/CocosGUI.h"

#include <cstdint>
#include <string>
#include <vector>

class GoBangGame : public cocos2d::LayerColor {
public:
    static constexpr double kMarginX = 12;
    static constexpr double kMarginY = 15;
    static constexpr double kSpacing = 34.8;

    bool init() override;

    virtual bool onTouchBegan(cocos2d::Touch* touch, cocos2d::Event* event);
    virtual void onTouchMoved(cocos2d::Touch* touch, cocos2d::Event* event);
    virtual void onTouchEnded(cocos2d::Touch* touch, cocos2d::Event* event);
    // Whether the local player may place a stone now.
    virtual bool isMyTurn() = 0;
    // Shows the end of a game; the code is the subclass's own.
    virtual void gameOver(int result) = 0;
    // The local player chose the empty point (x, y), both in 0..14.
    virtual void playChess(int x, int y) = 0;
    // A line of five was completed, by the local player when true.
    virtual void onFiveInRow(bool localPlayer) = 0;

    // Places a stone of colour 1 or 2 and moves the last-stone marker under it; tests nothing.
    void putChess(int x, int y, int32_t colour);
    void clearBoard();
    // The side indicators and the marker go off-screen.
    void hideMarkers();
    // Marks the stones of the five or more that the last stone placed completed; nothing when it
    // completed none. The marks go with clearBoard.
    void markFiveOfLastStone();
    // The turn line: "You play <colour> - <the text of `key`>" (keys "yourturn", "computerturn",
    // "opponentturn", "youwon", "youlost", "draw").
    void showTurn(int32_t colour, const char* key);
    // Takes the last `count` stones off the board, the last-stone marker going back with them.
    void takeBack(size_t count);
    // Shows the game as it stood after its first `count` moves (a review of a finished game);
    // the winning marks only with every move shown.
    void showMoves(size_t count);
    size_t movesShown() const { return shownMoves; }
    // Move numbers on the stones, shown or not (N; remembered as "movenumbers").
    void toggleMoveNumbers();
    static bool moveNumbersShown();
    void createCursorStone(int32_t colour);
    // The nearest intersection to a point in the board picture's coordinates; may lie off the
    // board.
    static Point touchToPoint(const cocos2d::Vec2& local);
    // Where intersection (x, y) lies in the board picture's coordinates.
    static cocos2d::Vec2 pointPosition(int x, int y);

    const int32_t* getBoard() const { return board; }
    bool isPlaying() const { return playing; }
    cocos2d::Sprite* getBoardSprite() const { return boardSprite; }
    const std::vector<cocos2d::Sprite*>& getStones() const { return stones; }
    const std::vector<cocos2d::Sprite*>& getFiveMarks() const { return fiveMarks; }
    const std::string& getTurnLine() const;

protected:
    int32_t board[kCellCount] = {};
    bool playing = false;
    cocos2d::Sprite* boardSprite = nullptr;
    cocos2d::Sprite* cursorStone = nullptr;
    cocos2d::Sprite* highlight = nullptr;
    std::vector<cocos2d::Sprite*> stones;
    cocos2d::Sprite* sideStones[2] = {};
    std::vector<cocos2d::Sprite*> fiveMarks;
    std::vector<int> moves; // the cells of the stones, in the order they were placed
    size_t shownMoves = 0;  // all of them, unless a review shows fewer
    cocos2d::ui::Text* turnText = nullptr;
    int lastX = -1, lastY = -1; // the last stone placed

private:
    cocos2d::Vec2 toBoard(const cocos2d::Vec2& location) const;
    void moveCursor(const cocos2d::Vec2& location);
};
