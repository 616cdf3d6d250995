#include "Json.h"

#include "Escape.h"
#include "WinningLine.h"

namespace {

std::string rating(const std::optional<int32_t>& value) {
    return value ? std::to_string(*value) : "null";
}

std::string summary(const PlayerSummary& p) {
    return "\"name\":" + jsonString(p.name) + ",\"rating\":" + std::to_string(p.rating) +
           ",\"games\":" + std::to_string(p.games()) + ",\"wins\":" + std::to_string(p.wins) +
           ",\"losses\":" + std::to_string(p.losses) + ",\"draws\":" + std::to_string(p.draws);
}

std::string points(const std::vector<GameMove>& moves) {
    std::string text = "[";
    for (const GameMove& m : moves) {
        text +=
            (text.size() > 1 ? ",[" : "[") + std::to_string(m.x) + "," + std::to_string(m.y) + "]";
    }
    return text + "]";
}

const char* outcomeName(int32_t outcome) {
    return outcome == 0 ? "black" : outcome == 1 ? "white" : "draw";
}

} // namespace

std::string leaderboardJson(const Leaderboard* board) {
    const ServerStatus status = board ? board->status : ServerStatus{};
    std::string text = "{\"page\":" + std::to_string(board ? board->page : 1) +
                       ",\"pages\":" + std::to_string(board ? board->pages : 1) +
                       ",\"perPage\":" + std::to_string(kPlayersPerPage) +
                       ",\"status\":{\"reporting\":" + (status.reporting ? "true" : "false");
    if (status.reporting) {
        text += ",\"playersOnline\":" + std::to_string(status.playersOnline) +
                ",\"gamesRunning\":" + std::to_string(status.gamesRunning);
    }
    text += "},\"players\":[";
    for (size_t i = 0; board && i < board->players.size(); ++i) {
        text += (i ? ",{\"rank\":" : "{\"rank\":") + std::to_string(board->firstRank + int64_t(i)) +
                "," + summary(board->players[i]) + "}";
    }
    return text + "]}";
}

std::string playerJson(const PlayerProfile& profile) {
    std::string text = "{" + summary(profile.player) + ",\"ratingHistory\":[";
    for (size_t i = 0; i < profile.history.size(); ++i) {
        text += (i ? ",{\"game\":" : "{\"game\":") + std::to_string(profile.history[i].game) +
                ",\"rating\":" + std::to_string(profile.history[i].rating) + "}";
    }
    text += "],\"recentGames\":[";
    for (size_t i = 0; i < profile.recent.size(); ++i) {
        const PlayerGame& g = profile.recent[i];
        text += (i ? ",{\"id\":" : "{\"id\":") + std::to_string(g.id) +
                ",\"opponent\":" + jsonString(g.opponent) + ",\"colour\":\"" +
                (g.black ? "black" : "white") + "\",\"outcome\":\"" + outcomeName(g.outcome) +
                "\",\"reason\":\"" + gameEndName(g.reason) + "\",\"ended\":" + jsonString(g.ended) +
                ",\"ratingBefore\":" + rating(g.rating.before) +
                ",\"ratingAfter\":" + rating(g.rating.after) + "}";
    }
    return text + "]}";
}

std::string gameJson(const GameDetail& d) {
    const ExportedGame& g = d.game;
    const auto side = [](const std::string& name, const RatingChange& change) {
        return "{\"name\":" + jsonString(name) + ",\"ratingBefore\":" + rating(change.before) +
               ",\"ratingAfter\":" + rating(change.after) + "}";
    };
    return "{\"id\":" + std::to_string(g.id) + ",\"black\":" + side(g.black, d.black) +
           ",\"white\":" + side(g.white, d.white) + ",\"outcome\":\"" + outcomeName(g.outcome) +
           "\",\"reason\":\"" + gameEndName(g.reason) + "\",\"started\":" + jsonString(d.started) +
           ",\"ended\":" + jsonString(d.ended) + ",\"moves\":" + points(g.moves) +
           ",\"winningLine\":" + points(winningLine(g.moves, g.reason)) + "}";
}

std::string errorJson(const std::string& message) {
    return "{\"error\":" + jsonString(message) + "}";
}
