// pbrain-koralith: the computer opponent as a Gomocup brain on standard input and output.
//   pbrain-koralith [--level easy|normal|hard] [--depth N]   speak the Gomocup protocol
//   pbrain-koralith --selfplay                                play a game against itself
#include "Brain.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

namespace {

void printBoard(const int32_t* cells) {
    for (int y = kBoardSize - 1; y >= 0; --y) {
        std::printf("%2d ", y);
        for (int x = 0; x < kBoardSize; ++x) {
            const int32_t c = cells[cellIndex(x, y)];
            std::printf(" %c", c == kBlack ? 'X' : c == kWhite ? 'O' : '.');
        }
        std::printf("\n");
    }
    std::printf("   ");
    for (int x = 0; x < kBoardSize; ++x) {
        std::printf("%2d", x % 10);
    }
    std::printf("\n");
}

struct Table : MoveReceiver {
    Point last;
    void computerMove(int x, int y) override { last = {x, y}; }
};

int selfPlay(Level level, int depth) {
    int32_t cells[kCellCount] = {};
    Table table;
    AIPlayer normal[2] = {AIPlayer(kBlack, depth, &table), AIPlayer(kWhite, depth, &table)};
    Opponent other[2] = {Opponent(level, kBlack, &table, 1), Opponent(level, kWhite, &table, 2)};
    for (int move = 0; move < kCellCount; ++move) {
        const int32_t colour = move % 2 == 0 ? kBlack : kWhite;
        if (level == Level::Normal) {
            normal[move % 2].think(cells);
        } else {
            other[move % 2].think(cells);
        }
        cells[cellIndex(table.last.x, table.last.y)] = colour;
        if (checkFive(cells, table.last.x, table.last.y, colour)) {
            printBoard(cells);
            std::printf("%s (%c) makes five with its move %d at %d,%d.\n",
                        colour == kBlack ? "Black" : "White", colour == kBlack ? 'X' : 'O',
                        move / 2 + 1, table.last.x, table.last.y);
            return 0;
        }
    }
    printBoard(cells);
    std::printf("The board is full: a draw.\n");
    return 0;
}

int usage(FILE* to) {
    std::fprintf(to, "usage: pbrain-koralith [--level easy|normal|hard] [--depth N] [--selfplay]\n"
                     "  Speaks the Gomocup brain protocol on standard input and output.\n"
                     "  --level L    easy, normal (the default) or hard; hard searches forced\n"
                     "               wins and takes up to a few tenths of a second a move\n"
                     "  --depth N    the normal level's look-ahead depth, 0 to 2 (default 0;\n"
                     "               2 takes a few milliseconds a move)\n"
                     "  --selfplay   play one game against itself and print it\n");
    return to == stdout ? 0 : 2;
}

} // namespace

int main(int argc, char** argv) {
    int depth = 0;
    Level level = Level::Normal;
    bool self = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--level") == 0 && i + 1 < argc) {
            if (!parseLevel(argv[++i], level)) {
                std::fprintf(stderr,
                             "pbrain-koralith: --level takes easy, normal or hard, not '%s'\n",
                             argv[i]);
                return 2;
            }
        } else if (std::strcmp(argv[i], "--depth") == 0 && i + 1 < argc) {
            const std::string value = argv[++i];
            if (value.size() != 1 || value[0] < '0' || value[0] > '2') {
                std::fprintf(stderr, "pbrain-koralith: --depth takes 0 to 2, not '%s'\n",
                             value.c_str());
                return 2;
            }
            depth = value[0] - '0';
        } else if (std::strcmp(argv[i], "--selfplay") == 0) {
            self = true;
        } else if (std::strcmp(argv[i], "--help") == 0) {
            return usage(stdout);
        } else {
            std::fprintf(stderr, "pbrain-koralith: unknown option '%s'\n", argv[i]);
            return usage(stderr);
        }
    }
    if (depth != 0 && level != Level::Normal) {
        std::fprintf(stderr, "pbrain-koralith: --depth is the normal level's look-ahead\n");
        return 2;
    }
    if (self) {
        return selfPlay(level, depth);
    }
    Brain brain(level, depth);
    std::string line;
    while (!brain.finished() && std::getline(std::cin, line)) {
        for (const std::string& answer : brain.handle(line)) {
            std::cout << answer << std::endl; // the manager waits for each line
        }
    }
    return 0;
}
