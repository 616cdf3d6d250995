#include "Html.h"

#include "Escape.h"
#include "Svg.h"
#include "WinningLine.h"

#include <cstdlib>

namespace {

std::string page(const std::string& title, const std::string& body, bool replay = false) {
    // The title is text only: isolates keep a right-to-left name from turning it around.
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
           "<title>\xE2\x81\xA8" +
           htmlText(title) +
           "\xE2\x81\xA9 \xC2\xB7 Koralith</title>"
           "<link rel=\"stylesheet\" href=\"/static/style.css\">"
           "<link rel=\"icon\" href=\"/static/favicon.svg\" type=\"image/svg+xml\">" +
           (replay ? "<script src=\"/static/replay.js\" defer></script>" : "") +
           "</head><body><header class=\"top\"><a class=\"brand\" href=\"/\">"
           "<img src=\"/static/favicon.svg\" alt=\"\" width=\"28\" height=\"28\">Koralith</a>"
           "<span class=\"tagline\">five in a row</span></header><main>" +
           body +
           "</main><footer>Koralith game server \xC2\xB7 "
           "<a href=\"/api/leaderboard\">the same data as JSON</a></footer></body></html>\n";
}

std::string playerLink(const std::string& name) {
    if (name.empty()) {
        return "<span class=\"unknown\">unknown player</span>";
    }
    return "<a class=\"name\" href=\"" + htmlAttr(playerPath(name)) + "\"><bdi>" + htmlText(name) +
           "</bdi></a>";
}

// "2024-05-01 12:34:56Z" as a <time> of its minute.
std::string when(const std::string& stored) {
    if (stored.size() != 20) {
        return htmlText(stored);
    }
    return "<time datetime=\"" + htmlAttr(stored.substr(0, 10) + "T" + stored.substr(11)) + "\">" +
           htmlText(stored.substr(0, 16)) + "</time>";
}

// Why a game ended, told to one of its players.
const char* reasonWords(GameEnd reason, bool won) {
    switch (reason) {
    case GameEnd::Five:
        return "Five in a row";
    case GameEnd::Full:
        return "Full board";
    case GameEnd::Time:
        return won ? "Opponent out of time" : "Out of time";
    case GameEnd::Quit:
        return won ? "Opponent left" : "Left the game";
    }
    return "";
}

std::string outcomeLine(const ExportedGame& g) {
    if (g.outcome == 2) {
        return "Drawn: the board is full";
    }
    const std::string winner = g.outcome == 0 ? "Black" : "White";
    const std::string loser = g.outcome == 0 ? "White" : "Black";
    switch (g.reason) {
    case GameEnd::Five:
        return winner + " won with five in a row";
    case GameEnd::Time:
        return winner + " won on time";
    case GameEnd::Quit:
        return winner + " won: " + loser + " left the game";
    case GameEnd::Full:
        break;
    }
    return winner + " won";
}

std::string ratingCell(const RatingChange& change) {
    if (!change.after) {
        return "";
    }
    std::string cell = std::to_string(*change.after);
    if (change.before) {
        const int delta = *change.after - *change.before;
        cell += std::string(" <span class=\"") +
                (delta > 0   ? "up"
                 : delta < 0 ? "down"
                             : "even") +
                "\">" +
                (delta > 0   ? "+"
                 : delta < 0 ? "\xE2\x88\x92"
                             : "\xC2\xB1") +
                std::to_string(std::abs(delta)) + "</span>";
    }
    return cell;
}

std::string statusLine(const ServerStatus& s) {
    if (!s.reporting) {
        return "<p class=\"status off\">The game server is not reporting right now.</p>";
    }
    const auto count = [](int n, const char* one, const char* many) {
        return "<strong>" + std::to_string(n) + "</strong> " + (n == 1 ? one : many);
    };
    return "<p class=\"status on\">" + count(s.playersOnline, "player", "players") +
           " online \xC2\xB7 " + count(s.gamesRunning, "game", "games") + " running now</p>";
}

std::string stoneMark(bool black) {
    return std::string("<span class=\"mark ") + (black ? "b" : "w") + "\"></span>";
}

} // namespace

std::string leaderboardPage(const Leaderboard* board) {
    std::string body = "<div class=\"headline\"><h1>Leaderboard</h1>" +
                       statusLine(board ? board->status : ServerStatus{}) + "</div>";
    if (board == nullptr || board->players.empty()) {
        return page("Leaderboard",
                    body + "<p class=\"empty\">No games have been played on this server yet.</p>");
    }
    body += "<table class=\"ranking\"><thead><tr><th class=\"num\">#</th><th>Player</th>"
            "<th class=\"num\">Rating</th><th class=\"num\">Games</th><th class=\"num\">Won</th>"
            "<th class=\"num\">Lost</th><th class=\"num\">Drawn</th></tr></thead><tbody>";
    int64_t rank = board->firstRank;
    for (const PlayerSummary& p : board->players) {
        body += "<tr><td class=\"num rank" + std::string(rank <= 3 ? " top" : "") + "\">" +
                std::to_string(rank) + "</td><td>" + playerLink(p.name) +
                "</td><td class=\"num rating\">" + std::to_string(p.rating) +
                "</td><td class=\"num\">" + std::to_string(p.games()) + "</td><td class=\"num\">" +
                std::to_string(p.wins) + "</td><td class=\"num\">" + std::to_string(p.losses) +
                "</td><td class=\"num\">" + std::to_string(p.draws) + "</td></tr>";
        ++rank;
    }
    body += "</tbody></table><nav class=\"pager\">";
    const auto link = [](int to, const char* rel, const char* text) {
        return "<a rel=\"" + std::string(rel) + "\" href=\"/?page=" + std::to_string(to) + "\">" +
               text + "</a>";
    };
    body += board->page > 1 ? link(board->page - 1, "prev", "\xE2\x86\x90 Previous")
                            : "<span class=\"off\">\xE2\x86\x90 Previous</span>";
    body += "<span>Page " + std::to_string(board->page) + " of " + std::to_string(board->pages) +
            "</span>";
    body += board->page < board->pages ? link(board->page + 1, "next", "Next \xE2\x86\x92")
                                       : "<span class=\"off\">Next \xE2\x86\x92</span>";
    return page("Leaderboard", body + "</nav>");
}

std::string playerPage(const PlayerProfile& profile) {
    const PlayerSummary& p = profile.player;
    std::string body = "<h1 class=\"player\"><bdi>" + htmlText(p.name) + "</bdi></h1>";
    body += "<dl class=\"stats\">";
    for (const auto& [label, value] : {std::pair<const char*, int>{"Rating", p.rating},
                                       {"Games", p.games()},
                                       {"Won", p.wins},
                                       {"Lost", p.losses},
                                       {"Drawn", p.draws}}) {
        body +=
            std::string("<div><dt>") + label + "</dt><dd>" + std::to_string(value) + "</dd></div>";
    }
    body += "</dl><section><h2>Rating</h2>";
    body += profile.history.empty() ? "<p class=\"empty\">No rated games yet.</p>"
                                    : ratingChartSvg(profile.history);
    body += "</section><section><h2>Recent games</h2>";
    if (profile.recent.empty()) {
        return page(p.name, body + "<p class=\"empty\">No games yet.</p></section>");
    }
    body += "<table class=\"games\"><thead><tr><th>Date (UTC)</th><th>Opponent</th><th>Colour</th>"
            "<th>Result</th><th>Reason</th><th class=\"num\">Rating</th><th></th></tr></thead>"
            "<tbody>";
    for (const PlayerGame& g : profile.recent) {
        const bool won = g.outcome == (g.black ? 0 : 1);
        const char* result = g.outcome == 2 ? "drawn" : won ? "won" : "lost";
        const std::string game = "/game/" + std::to_string(g.id);
        body += "<tr><td>" + when(g.ended) + "</td><td>" + playerLink(g.opponent) + "</td><td>" +
                stoneMark(g.black) + (g.black ? "Black" : "White") + "</td><td class=\"" + result +
                "\">" +
                (g.outcome == 2 ? "Drawn"
                 : won          ? "Won"
                                : "Lost") +
                "</td><td>" + reasonWords(g.reason, won) + "</td><td class=\"num\">" +
                ratingCell(g.rating) + "</td><td><a href=\"" + game + "\">Replay</a></td></tr>";
    }
    return page(p.name, body + "</tbody></table></section>");
}

std::string gamePage(const GameDetail& detail) {
    const ExportedGame& g = detail.game;
    const std::string id = std::to_string(g.id);
    const std::string moves = std::to_string(g.moves.size());
    const auto side = [](bool black, const std::string& name, const RatingChange& change) {
        return "<li>" + stoneMark(black) + playerLink(name) + "<span class=\"rating\">" +
               ratingCell(change) + "</span></li>";
    };
    // Icons rather than media-control characters, which many fonts lack.
    const auto button = [](const char* step, const char* label, const char* path) {
        return std::string("<button type=\"button\" data-step=\"") + step + "\" aria-label=\"" +
               label + "\" title=\"" + label +
               "\"><svg viewBox=\"0 0 16 16\" aria-hidden=\"true\">"
               "<path d=\"" +
               path + "\"/></svg></button>";
    };
    std::string body =
        "<h1>Game " + id + "</h1><div class=\"game\"><figure>" +
        boardSvg(g.moves, winningLine(g.moves, g.reason)) + "</figure><aside><ul class=\"sides\">" +
        side(true, g.black, detail.black) + side(false, g.white, detail.white) +
        "</ul><p class=\"result\">" + outcomeLine(g) + "</p><p class=\"meta\">" + moves +
        (g.moves.size() == 1 ? " move" : " moves") + " \xC2\xB7 " + when(detail.ended) + " UTC</p>";
    body += "<div class=\"replay\" hidden><output aria-live=\"polite\">Move " + moves + " of " +
            moves + "</output><div class=\"buttons\">" +
            button("first", "First move (Home)", "M3 3h2v10H3zM13 3v10L6 8z") +
            button("prev", "Previous move (Left)", "M11 3v10L4 8z") +
            button("next", "Next move (Right)", "M5 3v10l7-5z") +
            button("last", "Last move (End)", "M3 3v10l7-5zM11 3h2v10h-2z") +
            "</div><p class=\"hint\">Keys: \xE2\x86\x90 \xE2\x86\x92 Home End</p></div>";
    body += "<p><a class=\"download\" href=\"/game/" + id +
            ".sgf\" download>Download SGF</a></p></aside></div>";
    return page("Game " + id, body, true);
}

std::string errorPage(int status, const std::string& message) {
    return page(std::to_string(status),
                "<h1 class=\"error\">" + htmlText(message) +
                    "</h1><p><a href=\"/\">Back to the leaderboard</a></p>");
}
