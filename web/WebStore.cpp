#include "WebStore.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {

std::string columnText(sqlite3_stmt* s, int column) {
    const unsigned char* text = sqlite3_column_text(s, column);
    return text == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(text));
}

std::optional<int32_t> columnRating(sqlite3_stmt* s, int column) {
    if (sqlite3_column_type(s, column) == SQLITE_NULL) {
        return std::nullopt;
    }
    return sqlite3_column_int(s, column);
}

// SQLite's URI form of a file name: only these three would be read as URI syntax.
std::string uriPath(const std::string& path) {
    std::string out;
    for (char c : path) {
        out += c == '%' ? "%25" : c == '?' ? "%3f" : c == '#' ? "%23" : std::string(1, c);
    }
    return out;
}

// Runs a statement to its end and leaves it reset, however the caller leaves the scope.
class Query {
public:
    Query(sqlite3* db, sqlite3_stmt* s) : db(db), s(s) {}
    ~Query() {
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
    }
    Query& bind(int index, int64_t value) {
        sqlite3_bind_int64(s, index, value);
        return *this;
    }
    Query& bind(int index, const std::string& text) {
        sqlite3_bind_text(s, index, text.data(), int(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    bool row() {
        const int rc = sqlite3_step(s);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            throw StoreError(sqlite3_errmsg(db));
        }
        return rc == SQLITE_ROW;
    }

private:
    sqlite3* db;
    sqlite3_stmt* s;
};

// The queries of one request see one snapshot. A deferred BEGIN on a query-only connection
// takes a read lock only, which in WAL mode never stands in the writer's way.
class ReadTransaction {
public:
    explicit ReadTransaction(sqlite3* db) : db(db) {
        if (sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
            throw StoreError(sqlite3_errmsg(db));
        }
    }
    ~ReadTransaction() { sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr); }

private:
    sqlite3* db;
};

bool fileIdentity(const std::string& path, dev_t& device, ino_t& inode) {
    struct stat file {};
    if (stat(path.c_str(), &file) != 0) {
        return false;
    }
    device = file.st_dev;
    inode = file.st_ino;
    return true;
}

int64_t singleInt(sqlite3* db, const char* sql) {
    sqlite3_stmt* s = nullptr;
    int64_t value = -1;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW) {
        value = sqlite3_column_int64(s, 0);
    }
    sqlite3_finalize(s);
    return value;
}

} // namespace

WebStore::Opened WebStore::open(const std::string& path, std::unique_ptr<WebStore>& store,
                                std::string& error) {
    store.reset();
    struct stat file {};
    if (stat(path.c_str(), &file) != 0) {
        error = std::strerror(errno);
        return errno == ENOENT ? Opened::Missing : Opened::Failed;
    }
    sqlite3* db = nullptr;
    const std::string uri = "file:" + uriPath(path) + "?mode=ro";
    // One request uses a connection at a time: no mutex of SQLite's own is needed.
    const int flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    if (const int rc = sqlite3_open_v2(uri.c_str(), &db, flags, nullptr); rc != SQLITE_OK) {
        error = sqlite3_errstr(rc);
        sqlite3_close(db);
        return Opened::Failed;
    }
    std::unique_ptr<WebStore> opened(new WebStore(db, path));
    // The game server lays out its tables in one transaction at its first start.
    const int64_t tables = singleInt(db, "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table'"
                                         " AND name IN ('users', 'games')");
    if (tables < 0) {
        error = sqlite3_errmsg(db);
        // A reader of a WAL database needs its -shm file; the game server removes it when it
        // stops, and a reader without write access to the folder cannot make it again.
        struct stat wal {};
        if (sqlite3_errcode(db) == SQLITE_READONLY && stat((path + "-wal").c_str(), &wal) != 0) {
            error += " (the game server is not running, and this process may not make the"
                     " database's -shm file)";
        }
        return Opened::Failed;
    }
    if (tables < 2) {
        error = "no tables yet";
        return Opened::Missing;
    }
    if (!opened->prepare(error)) {
        return Opened::Failed;
    }
    store = std::move(opened);
    return Opened::Ready;
}

WebStore::WebStore(sqlite3* db, std::string path) : db(db), path(std::move(path)) {
    fileIdentity(this->path, device, inode);
    sqlite3_busy_timeout(db, 1000);
    // Pages read straight from the file's mapping, shared by every connection, rather than
    // copied into each connection's cache by a system call each.
    sqlite3_exec(db, "PRAGMA query_only=1; PRAGMA mmap_size=1073741824", nullptr, nullptr, nullptr);
}

WebStore::~WebStore() {
    for (sqlite3_stmt* s : {schemaVersion, dataVersion, countPlayers, walkRanking, pageOfPlayers,
                            playerByName, ratingHistory, recentGames, gameById, statusRow}) {
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
}

bool WebStore::prepare(std::string& error) {
    schemaCookie = int(singleInt(db, "PRAGMA schema_version"));
    // Version 4 added the ratings before and after each game and the status row.
    const bool hasRatings =
        singleInt(db, "SELECT COUNT(*) FROM pragma_table_info('games') WHERE name IN"
                      " ('black_before', 'black_after', 'white_before', 'white_after')") == 4;
    hasStatus = singleInt(db, "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table'"
                              " AND name = 'status'") == 1;
    const std::string ratings = hasRatings ? "g.black_before, g.black_after, g.white_before,"
                                             " g.white_after"
                                           : "NULL, NULL, NULL, NULL";
    const std::string own = hasRatings ? "CASE WHEN g.black = ?1 THEN g.black_before ELSE"
                                         " g.white_before END, CASE WHEN g.black = ?1 THEN"
                                         " g.black_after ELSE g.white_after END"
                                       : "NULL, NULL";
    const char* const kFromPlayer =
        "SELECT score, id FROM users WHERE score = ?1 AND id >= ?2 UNION ALL"
        " SELECT score, id FROM users WHERE score < ?1 ORDER BY 1 DESC, 2";
    const std::pair<sqlite3_stmt**, std::string> statements[] = {
        {&schemaVersion, "PRAGMA schema_version"},
        {&dataVersion, "PRAGMA data_version"},
        {&countPlayers, "SELECT COUNT(*) FROM users"},
        // The ranking from a player on (?1 score, ?2 id), themselves included: two ranges of the
        // users_rank index, merged.
        {&walkRanking, kFromPlayer},
        {&pageOfPlayers, std::string("SELECT u.name, u.score, u.wins, u.losses, u.draws FROM (") +
                             kFromPlayer +
                             " LIMIT ?3) p JOIN users u ON u.id = p.id"
                             " ORDER BY u.score DESC, u.id"},
        {&playerByName, "SELECT id, name, score, wins, losses, draws FROM users WHERE name = ?1"},
        // The newest games of each colour from games_black and games_white, merged by id.
        {&recentGames, "SELECT g.id, g.black = ?1, g.outcome, g.reason, g.ended, o.name, " + own +
                           " FROM (SELECT id FROM games WHERE black = ?1 UNION ALL"
                           " SELECT id FROM games WHERE white = ?1 ORDER BY id DESC LIMIT ?2) r"
                           " JOIN games g ON g.id = r.id"
                           " LEFT JOIN users o ON o.id = CASE WHEN g.black = ?1 THEN g.white"
                           " ELSE g.black END ORDER BY g.id DESC"},
        {&gameById, "SELECT g.id, b.name, w.name, g.outcome, g.reason, g.moves, g.started,"
                    " g.ended, " +
                        ratings +
                        " FROM games g LEFT JOIN users b ON b.id = g.black"
                        " LEFT JOIN users w ON w.id = g.white WHERE g.id = ?1"},
    };
    for (const auto& [slot, sql] : statements) {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, slot, nullptr) != SQLITE_OK) {
            error = sqlite3_errmsg(db);
            return false;
        }
    }
    if (hasRatings &&
        sqlite3_prepare_v2(db,
                           "SELECT id, rating FROM (SELECT id, black_after AS rating FROM games"
                           " WHERE black = ?1 AND black_after IS NOT NULL UNION ALL"
                           " SELECT id, white_after FROM games WHERE white = ?1 AND white_after"
                           " IS NOT NULL ORDER BY id DESC LIMIT ?2) ORDER BY id",
                           -1, &ratingHistory, nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(db);
        return false;
    }
    if (hasStatus && sqlite3_prepare_v2(db,
                                        "SELECT players_online, games_running, updated"
                                        " FROM status WHERE id = 1",
                                        -1, &statusRow, nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(db);
        return false;
    }
    return true;
}

bool WebStore::stale() {
    dev_t nowDevice = 0;
    ino_t nowInode = 0;
    if (!fileIdentity(path, nowDevice, nowInode) || nowDevice != device || nowInode != inode) {
        return true;
    }
    const int rc = sqlite3_step(schemaVersion);
    const bool changed = rc != SQLITE_ROW || sqlite3_column_int(schemaVersion, 0) != schemaCookie;
    sqlite3_reset(schemaVersion);
    return changed;
}

ServerStatus WebStore::status() {
    ServerStatus status;
    if (statusRow == nullptr) {
        return status;
    }
    Query q(db, statusRow);
    std::tm updated{};
    if (q.row() && parseUtcText(columnText(statusRow, 2), updated)) {
        const double age = std::difftime(std::time(nullptr), timegm(&updated));
        status.reporting = age >= -kStatusFreshSeconds && age <= kStatusFreshSeconds;
        status.playersOnline = sqlite3_column_int(statusRow, 0);
        status.gamesRunning = sqlite3_column_int(statusRow, 1);
    }
    return status;
}

void WebStore::learnRanking(int page) {
    Query version(db, dataVersion);
    const int64_t now = version.row() ? sqlite3_column_int64(dataVersion, 0) : -1;
    if (now != ranking.version) {
        Query count(db, countPlayers);
        ranking = {now, count.row() ? sqlite3_column_int64(countPlayers, 0) : 0, {}};
    }
    if (ranking.starts.empty()) {
        ranking.starts.push_back({INT32_MAX, 0}); // before everyone: the walk's first step
    }
    if (int(ranking.starts.size()) >= page) {
        return;
    }
    Query walk(db, walkRanking);
    walk.bind(1, ranking.starts.back().first).bind(2, ranking.starts.back().second);
    for (int64_t step = 0; int(ranking.starts.size()) < page && walk.row(); ++step) {
        if (step > 0 && step % kPlayersPerPage == 0) {
            ranking.starts.push_back(
                {sqlite3_column_int(walkRanking, 0), sqlite3_column_int64(walkRanking, 1)});
        }
    }
}

std::optional<Leaderboard> WebStore::leaderboard(int page) {
    ReadTransaction read(db);
    Leaderboard board;
    learnRanking(1);
    const int64_t players = ranking.players;
    board.pages = int(std::max<int64_t>(1, (players + kPlayersPerPage - 1) / kPlayersPerPage));
    if (page < 1 || page > board.pages) {
        return std::nullopt;
    }
    learnRanking(page);
    board.page = page;
    board.firstRank = int64_t(page - 1) * kPlayersPerPage + 1;
    Query q(db, pageOfPlayers);
    const auto& [score, id] = ranking.starts[size_t(page - 1)];
    q.bind(1, score).bind(2, id).bind(3, kPlayersPerPage);
    while (q.row()) {
        board.players.push_back({columnText(pageOfPlayers, 0), sqlite3_column_int(pageOfPlayers, 1),
                                 sqlite3_column_int(pageOfPlayers, 2),
                                 sqlite3_column_int(pageOfPlayers, 3),
                                 sqlite3_column_int(pageOfPlayers, 4)});
    }
    board.status = status();
    return board;
}

std::optional<PlayerProfile> WebStore::player(const std::string& name) {
    ReadTransaction read(db);
    PlayerProfile profile;
    int64_t id = 0;
    {
        Query q(db, playerByName);
        if (!q.bind(1, name).row()) {
            return std::nullopt;
        }
        id = sqlite3_column_int64(playerByName, 0);
        profile.player = {columnText(playerByName, 1), sqlite3_column_int(playerByName, 2),
                          sqlite3_column_int(playerByName, 3), sqlite3_column_int(playerByName, 4),
                          sqlite3_column_int(playerByName, 5)};
    }
    if (ratingHistory != nullptr) {
        Query q(db, ratingHistory);
        q.bind(1, id).bind(2, kHistoryPoints);
        while (q.row()) {
            profile.history.push_back(
                {sqlite3_column_int64(ratingHistory, 0), sqlite3_column_int(ratingHistory, 1)});
        }
    }
    Query q(db, recentGames);
    q.bind(1, id).bind(2, kRecentGames);
    while (q.row()) {
        PlayerGame g;
        g.id = sqlite3_column_int64(recentGames, 0);
        g.black = sqlite3_column_int(recentGames, 1) != 0;
        g.outcome = sqlite3_column_int(recentGames, 2);
        g.reason = parseGameEnd(columnText(recentGames, 3)).value_or(GameEnd::Quit);
        g.ended = columnText(recentGames, 4);
        g.opponent = columnText(recentGames, 5);
        g.rating = {columnRating(recentGames, 6), columnRating(recentGames, 7)};
        profile.recent.push_back(std::move(g));
    }
    return profile;
}

std::optional<GameDetail> WebStore::game(int64_t id) {
    ReadTransaction read(db);
    Query q(db, gameById);
    if (!q.bind(1, id).row()) {
        return std::nullopt;
    }
    sqlite3_stmt* s = gameById;
    GameDetail detail;
    ExportedGame& game = detail.game;
    game.id = sqlite3_column_int64(s, 0);
    game.black = columnText(s, 1);
    game.white = columnText(s, 2);
    game.outcome = sqlite3_column_int(s, 3);
    const std::optional<GameEnd> reason = parseGameEnd(columnText(s, 4));
    std::optional<std::vector<GameMove>> moves = parseMovesText(columnText(s, 5));
    detail.started = columnText(s, 6);
    detail.ended = columnText(s, 7);
    // The same checks as the export's: a game it would leave out is not shown either.
    if (game.black.empty() || game.white.empty() || game.outcome < 0 || game.outcome > 2 ||
        !reason || !moves || !parseUtcText(detail.started, game.started) ||
        !parseUtcText(detail.ended, game.ended)) {
        throw StoreError("game " + std::to_string(id) + " is not readable");
    }
    game.reason = *reason;
    game.moves = std::move(*moves);
    detail.black = {columnRating(s, 8), columnRating(s, 9)};
    detail.white = {columnRating(s, 10), columnRating(s, 11)};
    return detail;
}
