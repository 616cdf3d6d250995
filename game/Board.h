#pragma once
// The board and the rules of five-in-a-row, shared by both game modes, the computer opponent and
// the game server. Plain data and functions only: no engine, no threads, nothing allocated.
//
// The board is one flat array of 225 cells, x-major: cell (x, y) is element 15 * x + y, x grows
// to the right and y upward, (0, 0) is the bottom-left intersection. The layout is a contract
// between the scenes, the computer opponent and the server, so it is fixed here once.

#include <cstdint>

constexpr int kBoardSize = 15;
constexpr int kCellCount = kBoardSize * kBoardSize;
constexpr int kCentre = 7;

constexpr int32_t kEmpty = 0;
constexpr int32_t kBlack = 1; // always moves first
constexpr int32_t kWhite = 2;

constexpr int cellIndex(int x, int y) {
    return kBoardSize * x + y;
}
constexpr bool onBoard(int x, int y) {
    return x >= 0 && x < kBoardSize && y >= 0 && y < kBoardSize;
}
constexpr int32_t opponentOf(int32_t colour) {
    return colour == kBlack ? kWhite : kBlack;
}

// A point of the board; (-1, -1) stands for none.
struct Point {
    int x = -1;
    int y = -1;
    bool valid() const { return onBoard(x, y); }
    bool operator==(const Point& o) const { return x == o.x && y == o.y; }
};

// Whether a stone of `colour` at (x, y) is part of a line of five or more of that colour. The
// cell (x, y) itself is never read, so this serves both after a stone was placed there and for a
// stone that is only imagined there. Six or more in a row wins too: there is no exact-five rule.
bool checkFive(const int32_t* board, int x, int y, int32_t colour);

// The cells (cellIndex) of the longest line of `colour` through (x, y), in order from one end,
// when it holds five or more, counting (x, y) as `colour` like checkFive; their number, or 0
// when there is no five. `cells` has room for kBoardSize. For marking the winning line.
int fiveLine(const int32_t* board, int x, int y, int32_t colour, int* cells);

// Whether no cell is empty: the game is then a draw unless the last stone made five.
bool isBoardFull(const int32_t* board);
