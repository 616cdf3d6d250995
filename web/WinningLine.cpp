#include "WinningLine.h"

#include "Board.h"

std::vector<GameMove> winningLine(const std::vector<GameMove>& moves, GameEnd reason) {
    if (reason != GameEnd::Five || moves.empty()) {
        return {};
    }
    int32_t board[kCellCount] = {};
    for (size_t i = 0; i < moves.size(); ++i) {
        board[cellIndex(moves[i].x, moves[i].y)] = i % 2 == 0 ? kBlack : kWhite;
    }
    const GameMove last = moves.back();
    int cells[kBoardSize];
    const int count =
        fiveLine(board, last.x, last.y, moves.size() % 2 == 1 ? kBlack : kWhite, cells);
    std::vector<GameMove> line;
    for (int i = 0; i < count; ++i) {
        line.push_back({int8_t(cells[i] / kBoardSize), int8_t(cells[i] % kBoardSize)});
    }
    return line;
}
