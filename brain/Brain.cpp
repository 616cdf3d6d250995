#include "Brain.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

namespace {

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

// A whole decimal number in [0, max], or -1.
int parseIndex(const std::string& text, int max) {
    const std::string t = trim(text);
    if (t.empty() || t.size() > 3 || !std::all_of(t.begin(), t.end(), ::isdigit)) {
        return -1;
    }
    const int v = std::atoi(t.c_str());
    return v <= max ? v : -1;
}

std::vector<std::string> split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, sep)) {
        parts.push_back(part);
    }
    if (!text.empty() && text.back() == sep) {
        parts.emplace_back();
    }
    return parts;
}

std::string pointText(const Point& p) {
    return std::to_string(p.x) + "," + std::to_string(p.y);
}

} // namespace

bool parsePoint(const std::string& text, Point& out) {
    const std::vector<std::string> parts = split(text, ',');
    if (parts.size() != 2) {
        return false;
    }
    const int x = parseIndex(parts[0], kBoardSize - 1);
    const int y = parseIndex(parts[1], kBoardSize - 1);
    if (x < 0 || y < 0) {
        return false;
    }
    out = {x, y};
    return true;
}

Brain::Brain(int depth_) : depth(depth_) {}

Brain::Brain(Level level_, int depth_) : level(level_), depth(depth_) {}

void Brain::clear() {
    std::fill(std::begin(cells), std::end(cells), kEmpty);
    inBoardList = false;
}

void Brain::computerMove(int x, int y) {
    chosen = {x, y};
}

std::string Brain::play() {
    if (isBoardFull(cells)) {
        return "ERROR the board is full";
    }
    chosen = {};
    if (level == Level::Normal) {
        AIPlayer ai(kOwn, depth, this);
        ai.think(cells);
    } else {
        // Seed 0: the easy level's draws then follow from the position alone, so a position
        // taken back and asked again gets the same answer.
        Opponent ai(level, kOwn, this, 0);
        ai.think(cells);
    }
    if (!chosen.valid() || cells[cellIndex(chosen.x, chosen.y)] != kEmpty) {
        return "ERROR no move found"; // cannot happen with an empty cell left; never play over
    }
    cells[cellIndex(chosen.x, chosen.y)] = kOwn;
    return pointText(chosen);
}

std::string Brain::boardLine(const std::string& line) {
    const std::vector<std::string> parts = split(line, ',');
    Point p;
    const int who = parts.size() == 3 ? parseIndex(parts[2], 9) : -1;
    if (parts.size() != 3 || !parsePoint(parts[0] + "," + parts[1], p) ||
        (who != kOwn && who != kTheirs)) {
        return "ERROR expected x,y,1 or x,y,2 or DONE: " + line;
    }
    if (cells[cellIndex(p.x, p.y)] != kEmpty) {
        return "ERROR occupied point " + pointText(p);
    }
    cells[cellIndex(p.x, p.y)] = who;
    return {};
}

std::vector<std::string> Brain::handle(const std::string& rawLine) {
    const std::string line = trim(rawLine);
    if (line.empty()) {
        return {};
    }
    const auto space = line.find_first_of(" \t");
    const std::string command = upper(line.substr(0, space));
    const std::string rest = space == std::string::npos ? "" : trim(line.substr(space));

    if (inBoardList) {
        if (command == "DONE") {
            inBoardList = false;
            return {play()};
        }
        const std::string error = boardLine(line);
        return error.empty() ? std::vector<std::string>{} : std::vector<std::string>{error};
    }
    if (command == "START") {
        const int size = parseIndex(rest, 999);
        if (size != kBoardSize) {
            return {"ERROR only a 15 x 15 board is supported"};
        }
        clear();
        return {"OK"};
    }
    if (command == "RESTART") {
        clear();
        return {"OK"};
    }
    if (command == "BEGIN") {
        return {play()};
    }
    if (command == "TURN") {
        Point p;
        if (!parsePoint(rest, p)) {
            return {"ERROR expected TURN x,y with x and y in 0..14"};
        }
        if (cells[cellIndex(p.x, p.y)] != kEmpty) {
            return {"ERROR occupied point " + pointText(p)};
        }
        cells[cellIndex(p.x, p.y)] = kTheirs;
        return {play()};
    }
    if (command == "BOARD") {
        clear();
        inBoardList = true;
        return {};
    }
    if (command == "TAKEBACK") {
        Point p;
        if (!parsePoint(rest, p)) {
            return {"ERROR expected TAKEBACK x,y with x and y in 0..14"};
        }
        if (cells[cellIndex(p.x, p.y)] == kEmpty) {
            return {"ERROR no stone at " + pointText(p)};
        }
        cells[cellIndex(p.x, p.y)] = kEmpty;
        return {"OK"};
    }
    if (command == "INFO") {
        return {};
    }
    if (command == "ABOUT") {
        return {"name=\"pbrain-koralith\", version=\"0.1\", author=\"Koralith\", "
                "country=\"Unknown\""};
    }
    if (command == "END") {
        done = true;
        return {};
    }
    return {"ERROR unknown command " + command};
}
