#include "Svg.h"

#include "Board.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kCell = 40;     // between two lines of the board
constexpr int kMargin = 50;   // from the picture's edge to the outer lines, room for the labels
constexpr int kLabelGap = 33; // from an outer line to its labels, clear of the stones on it

int boardX(int x) {
    return kMargin + kCell * x;
}
// Our rows count from the bottom; the picture's from the top.
int boardY(int y) {
    return kMargin + kCell * (kBoardSize - 1 - y);
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    std::string s = text;
    if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) {
        s.resize(s.size() - 2);
    }
    return s;
}

// The stones' and the wood's shading.
const char* const kDefs =
    "<defs><radialGradient id=\"stone-b\" cx=\"35%\" cy=\"30%\" r=\"75%\">"
    "<stop offset=\"0\" stop-color=\"#6b6b6b\"/><stop offset=\"1\" stop-color=\"#0a0a0a\"/>"
    "</radialGradient><radialGradient id=\"stone-w\" cx=\"35%\" cy=\"30%\" r=\"75%\">"
    "<stop offset=\"0\" stop-color=\"#ffffff\"/><stop offset=\"1\" stop-color=\"#cdc6b8\"/>"
    "</radialGradient><linearGradient id=\"wood\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"1\">"
    "<stop offset=\"0\" stop-color=\"#e9c681\"/><stop offset=\"1\" stop-color=\"#d29e55\"/>"
    "</linearGradient></defs>";

std::string grid() {
    const int first = kMargin, last = kMargin + kCell * (kBoardSize - 1);
    std::string d;
    for (int i = 0; i < kBoardSize; ++i) {
        const std::string at = std::to_string(kMargin + kCell * i);
        d += "M" + std::to_string(first) + " " + at + "H" + std::to_string(last);
        d += "M" + at + " " + std::to_string(first) + "V" + std::to_string(last);
    }
    std::string svg = "<path class=\"grid\" d=\"" + d + "\"/><g class=\"stars\">";
    for (const auto& [x, y] : {std::pair{3, 3}, {3, 11}, {11, 3}, {11, 11}, {7, 7}}) {
        svg += "<circle cx=\"" + std::to_string(boardX(x)) + "\" cy=\"" +
               std::to_string(boardY(y)) + "\" r=\"4\"/>";
    }
    svg += "</g><g class=\"coords\">";
    for (int i = 0; i < kBoardSize; ++i) {
        svg += "<text x=\"" + std::to_string(boardX(i)) + "\" y=\"" +
               std::to_string(boardY(0) + kLabelGap) + "\">" + char('A' + i) + "</text>";
        svg += "<text x=\"" + std::to_string(kMargin - kLabelGap) + "\" y=\"" +
               std::to_string(boardY(i)) + "\">" + std::to_string(i + 1) + "</text>";
    }
    return svg + "</g>";
}

} // namespace

std::string boardSvg(const std::vector<GameMove>& moves, const std::vector<GameMove>& winning) {
    const int size = 2 * kMargin + kCell * (kBoardSize - 1);
    const std::string side = std::to_string(size);
    std::string svg = "<svg class=\"board\" viewBox=\"0 0 " + side + " " + side +
                      "\" role=\"img\" aria-label=\"The board after " +
                      std::to_string(moves.size()) + " moves\">" + kDefs + "<rect width=\"" + side +
                      "\" height=\"" + side + "\" rx=\"10\" fill=\"url(#wood)\"/>" + grid() +
                      "<g class=\"stones\">";
    for (size_t i = 0; i < moves.size(); ++i) {
        const bool black = i % 2 == 0;
        const std::string x = std::to_string(boardX(moves[i].x));
        const std::string y = std::to_string(boardY(moves[i].y));
        const std::string n = std::to_string(i + 1);
        svg += std::string("<g class=\"stone ") + (black ? "b" : "w") +
               (i + 1 == moves.size() ? " last" : "") + "\" data-move=\"" + n + "\" data-x=\"" +
               std::to_string(moves[i].x) + "\" data-y=\"" + std::to_string(moves[i].y) +
               "\"><circle cx=\"" + x + "\" cy=\"" + y + "\" r=\"18\" fill=\"url(#stone-" +
               (black ? "b" : "w") + ")\"/><text x=\"" + x + "\" y=\"" + y + "\"" +
               (i >= 99 ? " class=\"n3\"" : "") + ">" + n + "</text></g>";
    }
    svg += "</g><g class=\"win\">";
    for (const GameMove& m : winning) {
        svg += "<circle cx=\"" + std::to_string(boardX(m.x)) + "\" cy=\"" +
               std::to_string(boardY(m.y)) + "\" r=\"21\"/>";
    }
    return svg + "</g></svg>";
}

std::string ratingChartSvg(const std::vector<RatingPoint>& history) {
    constexpr double width = 720, height = 240, left = 48, right = 16, top = 14, bottom = 14;
    const auto [low, high] = std::minmax_element(
        history.begin(), history.end(),
        [](const RatingPoint& a, const RatingPoint& b) { return a.rating < b.rating; });
    // Lines at a round step, at most about six of them, with some room above and below.
    const int spread = history.empty() ? 0 : high->rating - low->rating;
    int step = 25;
    for (int s : {25, 50, 100, 200, 500, 1000}) {
        step = s;
        if (spread + 2 * s <= 6 * s) {
            break;
        }
    }
    const int lowest = history.empty() ? 1400 : (low->rating - step / 2) / step * step;
    const int highest = history.empty() ? 1600 : (high->rating + step / 2 + step - 1) / step * step;
    const double plotW = width - left - right, plotH = height - top - bottom;
    const auto px = [&](size_t i) {
        return history.size() < 2 ? left + plotW / 2
                                  : left + plotW * double(i) / double(history.size() - 1);
    };
    const auto py = [&](int rating) {
        return top + plotH * double(highest - rating) / double(std::max(1, highest - lowest));
    };
    std::string svg = "<svg class=\"chart\" viewBox=\"0 0 " + number(width) + " " + number(height) +
                      "\" role=\"img\" aria-label=\"Rating after each of the last " +
                      std::to_string(history.size()) + " rated games\"><g class=\"axis\">";
    for (int r = lowest; r <= highest; r += step) {
        svg += "<path d=\"M" + number(left) + " " + number(py(r)) + "H" + number(width - right) +
               "\"/><text x=\"" + number(left - 8) + "\" y=\"" + number(py(r)) + "\">" +
               std::to_string(r) + "</text>";
    }
    std::string points;
    for (size_t i = 0; i < history.size(); ++i) {
        points += (i == 0 ? "" : " ") + number(px(i)) + "," + number(py(history[i].rating));
    }
    svg += "</g>";
    if (history.size() > 1) {
        svg += "<polygon class=\"area\" points=\"" + number(px(0)) + "," + number(top + plotH) +
               " " + points + " " + number(px(history.size() - 1)) + "," + number(top + plotH) +
               "\"/>";
    }
    svg += "<polyline class=\"line\" points=\"" + points + "\"/>";
    if (!history.empty()) {
        svg += "<circle class=\"dot\" cx=\"" + number(px(history.size() - 1)) + "\" cy=\"" +
               number(py(history.back().rating)) + "\" r=\"4\"/>";
    }
    return svg + "</svg>";
}
