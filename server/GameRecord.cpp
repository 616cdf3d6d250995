#include "GameRecord.h"

#include "Board.h"

#include <cstdio>
#include <time.h>

namespace {
const char* const kTimeFormat = "%Y-%m-%d %H:%M:%SZ";
} // namespace

const char* gameEndName(GameEnd reason) {
    switch (reason) {
    case GameEnd::Five:
        return "five";
    case GameEnd::Full:
        return "full";
    case GameEnd::Time:
        return "time";
    case GameEnd::Quit:
        return "quit";
    }
    return "quit";
}

std::optional<GameEnd> parseGameEnd(const std::string& text) {
    for (GameEnd reason : {GameEnd::Five, GameEnd::Full, GameEnd::Time, GameEnd::Quit}) {
        if (text == gameEndName(reason)) {
            return reason;
        }
    }
    return std::nullopt;
}

std::string movesText(const std::vector<GameMove>& moves) {
    std::string text;
    for (const GameMove& m : moves) {
        if (!text.empty()) {
            text += ' ';
        }
        text += std::to_string(m.x) + ',' + std::to_string(m.y);
    }
    return text;
}

std::optional<std::vector<GameMove>> parseMovesText(const std::string& text) {
    std::vector<GameMove> moves;
    const char* at = text.c_str();
    while (*at != '\0') {
        int x = -1, y = -1, used = 0;
        if (std::sscanf(at, "%2d,%2d%n", &x, &y, &used) != 2 || !onBoard(x, y) ||
            (at[used] != ' ' && at[used] != '\0')) {
            return std::nullopt;
        }
        moves.push_back({int8_t(x), int8_t(y)});
        at += used + (at[used] == ' ');
    }
    return moves;
}

std::string recordLine(const GameRecord& r) {
    return std::to_string(r.blackId) + ' ' + std::to_string(r.whiteId) + ' ' +
           std::to_string(r.outcome) + ' ' + gameEndName(r.reason) + ' ' +
           std::to_string(r.startedAt) + ' ' + std::to_string(r.endedAt) + ' ' + movesText(r.moves);
}

std::optional<GameRecord> parseRecordLine(const std::string& line) {
    GameRecord r;
    char reason[8] = {};
    long long started = 0, ended = 0;
    int used = 0;
    if (std::sscanf(line.c_str(), "%d %d %d %7s %lld %lld %n", &r.blackId, &r.whiteId, &r.outcome,
                    reason, &started, &ended, &used) != 6 ||
        r.outcome < 0 || r.outcome > 2 || line[used - 1] != ' ') {
        return std::nullopt;
    }
    const std::optional<GameEnd> end = parseGameEnd(reason);
    std::optional<std::vector<GameMove>> moves = parseMovesText(line.substr(size_t(used)));
    if (!end || !moves) {
        return std::nullopt;
    }
    r.reason = *end;
    r.startedAt = std::time_t(started);
    r.endedAt = std::time_t(ended);
    r.moves = std::move(*moves);
    return r;
}

std::string utcText(std::time_t when) {
    std::tm utc{};
    gmtime_r(&when, &utc);
    char text[32];
    std::strftime(text, sizeof text, kTimeFormat, &utc);
    return text;
}

bool parseUtcText(const std::string& text, std::tm& out) {
    const char* end = strptime(text.c_str(), kTimeFormat, &out);
    return end != nullptr && *end == '\0';
}
