#include "SgfRecord.h"

#include "Board.h"

#include <cinttypes>
#include <cstdio>

#ifndef KORALITH_VERSION
#error "KORALITH_VERSION names the version written as the application of every file"
#endif

namespace {

// SGF's SimpleText: a backslash escapes the one character after it.
std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == ']' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

// SGF names a point by its column from the left and its row from the top, both from 'a'; our
// rows count from the bottom (the board is drawn with y upward).
std::string point(const GameMove& m) {
    return {char('a' + m.x), char('a' + (kBoardSize - 1 - m.y))};
}

std::string result(const ExportedGame& game) {
    if (game.outcome == 2) {
        return "0";
    }
    std::string text = game.outcome == 0 ? "B+" : "W+";
    if (game.reason == GameEnd::Quit) {
        text += 'R';
    } else if (game.reason == GameEnd::Time) {
        text += 'T';
    }
    return text;
}

std::string formatted(const char* format, const std::tm& when) {
    char text[32];
    return std::string(text, std::strftime(text, sizeof text, format, &when));
}

} // namespace

std::string sgfText(const ExportedGame& game) {
    std::string text = "(;FF[4]GM[4]SZ[15]CA[UTF-8]AP[Koralith:" KORALITH_VERSION "]\n";
    text += "PB[" + escaped(game.black) + "]PW[" + escaped(game.white) + "]\n";
    text += "DT[" + formatted("%Y-%m-%d", game.started) + "]RE[" + result(game) + "]\n";
    for (size_t i = 0; i < game.moves.size(); ++i) {
        text += (i % 2 == 0 ? ";B[" : ";W[") + point(game.moves[i]) + ']';
        if (i % 10 == 9 || i + 1 == game.moves.size()) {
            text += '\n';
        }
    }
    return text + ")\n";
}

std::string sgfFileName(const ExportedGame& game) {
    char id[24];
    std::snprintf(id, sizeof id, "%06" PRId64, game.id);
    return formatted("%Y%m%d-%H%M-", game.ended) + id + ".sgf";
}
