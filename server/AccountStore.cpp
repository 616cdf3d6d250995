#include "AccountStore.h"

#include "AccountRules.h"
#include "Log.h"

#include <cmath>
#include <optional>
#include <set>
#include <sqlite3.h>
#include <sys/stat.h>
#include <vector>

namespace {

// Version 1. Moves are kept as "x,y" pairs separated by blanks, readable with the sqlite3 shell.
constexpr const char* kSchema[] = {
    "CREATE TABLE users ("
    " id INTEGER PRIMARY KEY,"
    " name TEXT NOT NULL UNIQUE,"
    " secret TEXT NOT NULL,"
    " score INTEGER NOT NULL DEFAULT 1500,"
    " wins INTEGER NOT NULL DEFAULT 0,"
    " losses INTEGER NOT NULL DEFAULT 0,"
    " draws INTEGER NOT NULL DEFAULT 0,"
    " created TEXT NOT NULL)",
    "CREATE TABLE games ("
    " id INTEGER PRIMARY KEY,"
    " black INTEGER NOT NULL REFERENCES users(id),"
    " white INTEGER NOT NULL REFERENCES users(id),"
    " outcome INTEGER NOT NULL CHECK (outcome IN (0, 1, 2)),"
    " reason TEXT NOT NULL CHECK (reason IN ('five', 'full', 'time', 'quit')),"
    " moves TEXT NOT NULL,"
    " started TEXT NOT NULL,"
    " ended TEXT NOT NULL)",
    "CREATE INDEX games_black ON games(black)",
    "CREATE INDEX games_white ON games(white)",
};

// Version 2: name_key, unique, so that a name is taken whatever its case. Version 3 fills it
// with nameKey (keyNamesAgain), which makes one name of what only looks alike.
constexpr const char* kToVersion2[] = {
    "ALTER TABLE users ADD COLUMN name_key TEXT",
    "CREATE UNIQUE INDEX users_name_key ON users(name_key)",
};

// Version 4, for the web face: each game keeps both players' ratings before and after it (older
// games have none), one row tells who is online and how many games run, and the ranking reads
// an index instead of sorting every user.
constexpr const char* kToVersion4[] = {
    "ALTER TABLE games ADD COLUMN black_before INTEGER",
    "ALTER TABLE games ADD COLUMN black_after INTEGER",
    "ALTER TABLE games ADD COLUMN white_before INTEGER",
    "ALTER TABLE games ADD COLUMN white_after INTEGER",
    ("CREATE TABLE status ("
     " id INTEGER PRIMARY KEY CHECK (id = 1),"
     " players_online INTEGER NOT NULL,"
     " games_running INTEGER NOT NULL,"
     " updated TEXT NOT NULL)"),
    "CREATE INDEX users_rank ON users(score DESC, id)",
};

// Shorter while serving: a game's record that waits longer is tried again later, and meanwhile
// the logins and user-info reads queued behind it on the database thread go on.
constexpr int kBusyTimeoutMs = 1000;

// Resets a statement however the caller leaves the scope.
struct Use {
    explicit Use(sqlite3_stmt* s) : s(s) {}
    ~Use() {
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
    }
    sqlite3_stmt* s;
};

std::string columnText(sqlite3_stmt* s, int column) {
    const unsigned char* text = sqlite3_column_text(s, column);
    return text == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(text));
}

void bindText(sqlite3_stmt* s, int index, const std::string& text) {
    sqlite3_bind_text(s, index, text.data(), int(text.size()), SQLITE_TRANSIENT);
}

// Causes that the operator or time can take away: another writer's lock, a full disk, a file
// made read-only, a failing device. Anything else (a broken constraint, a damaged file) would
// fail the same way forever.
bool mayPass(int code) {
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_FULL:
    case SQLITE_READONLY:
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_NOMEM:
    case SQLITE_PROTOCOL:
    case SQLITE_PERM:
        return true;
    default:
        return false;
    }
}

void bindGame(sqlite3_stmt* s, const GameRecord& r) {
    sqlite3_bind_int(s, 1, r.blackId);
    sqlite3_bind_int(s, 2, r.whiteId);
    sqlite3_bind_int(s, 3, r.outcome);
    bindText(s, 4, gameEndName(r.reason));
    bindText(s, 5, movesText(r.moves));
    bindText(s, 6, utcText(r.startedAt));
    bindText(s, 7, utcText(r.endedAt));
}

// The new ratings of a and b after a game in which a scored `scoreA` (1, 0.5 or 0).
std::pair<int, int> eloUpdate(int a, int b, double scoreA) {
    constexpr double k = 32.0;
    const double expectedA = 1.0 / (1.0 + std::pow(10.0, (b - a) / 400.0));
    const double delta = k * (scoreA - expectedA);
    return {int(std::lround(a + delta)), int(std::lround(b - delta))};
}

} // namespace

std::unique_ptr<AccountStore> AccountStore::open(const std::string& path, std::string& error) {
    sqlite3* db = nullptr;
    const int rc =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        error = "cannot open database " + path + ": " + sqlite3_errstr(rc);
        sqlite3_close(db);
        return nullptr;
    }
    // The -wal and -shm files stay when the server stops, so that the web face, which may not
    // write in the database's folder, can still read the database while no server runs.
    int persist = 1;
    sqlite3_file_control(db, "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
    std::unique_ptr<AccountStore> store(new AccountStore(db, path));
    if (!store->prepareAll(error)) {
        error = "cannot use database " + path + ": " + error;
        return nullptr;
    }
    return store;
}

AccountStore::AccountStore(sqlite3* db, std::string path) : db(db) {
    struct stat file {};
    if (stat(path.c_str(), &file) == 0) {
        filePath = std::move(path);
        fileDevice = file.st_dev;
        fileInode = file.st_ino;
    }
}

AccountStore::~AccountStore() {
    for (sqlite3_stmt* s : {insertUser, selectSecret, selectInfo, updateScore, insertGame,
                            selectGame, replaceStatus}) {
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
}

bool AccountStore::exec(const char* sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) {
        return false;
    }
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    }
    sqlite3_finalize(s);
    return rc == SQLITE_DONE;
}

bool AccountStore::prepareAll(std::string& error) {
    if (sqlite3_db_readonly(db, "main") == 1) {
        error = "the file is read-only";
        return false;
    }
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA journal_mode=WAL", -1, &s, nullptr) != SQLITE_OK ||
        sqlite3_step(s) != SQLITE_ROW ||
        (columnText(s, 0) != "wal" && columnText(s, 0) != "memory")) {
        error = sqlite3_errmsg(db);
        sqlite3_finalize(s);
        return false;
    }
    sqlite3_finalize(s);
    // WAL with synchronous NORMAL: a commit survives the process being killed; only a power loss
    // may take back the last transactions, never leaving the file inconsistent.
    if (!exec("PRAGMA synchronous=NORMAL") || !exec("PRAGMA foreign_keys=ON") ||
        !exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)")) {
        error = sqlite3_errmsg(db);
        return false;
    }
    if (!exec("BEGIN IMMEDIATE")) {
        error = sqlite3_errmsg(db);
        return false;
    }
    int version = 0;
    sqlite3_prepare_v2(db, "SELECT MAX(version) FROM schema_version", -1, &s, nullptr);
    if (sqlite3_step(s) == SQLITE_ROW) {
        version = sqlite3_column_int(s, 0);
    }
    sqlite3_finalize(s);
    if (version > kSchemaVersion) {
        error = "schema version " + std::to_string(version) + " is newer than this server's (" +
                std::to_string(kSchemaVersion) + ")";
        exec("ROLLBACK");
        return false;
    }
    bool ok = true;
    for (const char* sql : kSchema) {
        ok = ok && (version >= 1 || exec(sql));
    }
    for (const char* sql : kToVersion2) {
        ok = ok && (version >= 2 || exec(sql));
    }
    ok = ok && (version >= 3 || keyNamesAgain());
    for (const char* sql : kToVersion4) {
        ok = ok && (version >= 4 || exec(sql));
    }
    const std::string setVersion =
        "INSERT INTO schema_version (version) VALUES (" + std::to_string(kSchemaVersion) + ")";
    ok = ok && (version == kSchemaVersion || exec(setVersion.c_str()));
    if (!ok || !exec("COMMIT")) {
        error = sqlite3_errmsg(db);
        exec("ROLLBACK");
        return false;
    }
    const std::pair<sqlite3_stmt**, const char*> statements[] = {
        {&insertUser, "INSERT INTO users (name, name_key, secret, created)"
                      " VALUES (?1, ?2, ?3, ?4)"},
        {&selectSecret, "SELECT id, secret FROM users WHERE name = ?"},
        {&selectInfo, "SELECT name, score, wins, losses, draws FROM users WHERE id = ?"},
        {&updateScore, "UPDATE users SET score = ?, wins = wins + ?, losses = losses + ?,"
                       " draws = draws + ? WHERE id = ?"},
        {&insertGame, "INSERT INTO games (black, white, outcome, reason, moves, started, ended,"
                      " black_before, black_after, white_before, white_after)"
                      " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)"},
        {&replaceStatus, "INSERT OR REPLACE INTO status (id, players_online, games_running,"
                         " updated) VALUES (1, ?1, ?2, ?3)"},
        {&selectGame, "SELECT 1 FROM games WHERE black = ?1 AND white = ?2 AND outcome = ?3"
                      " AND reason = ?4 AND moves = ?5 AND started = ?6 AND ended = ?7"},
    };
    for (const auto& [slot, sql] : statements) {
        if (sqlite3_prepare_v2(db, sql, -1, slot, nullptr) != SQLITE_OK) {
            error = sqlite3_errmsg(db);
            return false;
        }
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    return true;
}

// Names taken before a key made them one (whatever their case before version 2, what only looks
// alike before version 3): the oldest account of each such group owns the key and the others
// have none (a unique column may repeat NULL), so that each still logs in by its exact name and
// no new name like theirs is taken.
bool AccountStore::keyNamesAgain() {
    std::vector<std::pair<int, std::string>> users;
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(db, "SELECT id, name FROM users ORDER BY id", -1, &s, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(s)) == SQLITE_ROW) {
        users.emplace_back(sqlite3_column_int(s, 0), columnText(s, 1));
        rc = SQLITE_OK;
    }
    sqlite3_finalize(s);
    s = nullptr;
    bool ok = rc == SQLITE_DONE && exec("UPDATE users SET name_key = NULL") &&
              sqlite3_prepare_v2(db, "UPDATE users SET name_key = ? WHERE id = ?", -1, &s,
                                 nullptr) == SQLITE_OK;
    std::set<std::string> owned;
    for (auto user = users.begin(); ok && user != users.end(); ++user) {
        const std::optional<std::string> key = nameKey(user->second);
        if (key && owned.insert(*key).second) {
            Use use(s);
            bindText(s, 1, *key);
            sqlite3_bind_int(s, 2, user->first);
            ok = sqlite3_step(s) == SQLITE_DONE;
        }
    }
    sqlite3_finalize(s);
    return ok;
}

AccountStore::AddResult AccountStore::addUser(const std::string& name, const std::string& secret,
                                              int32_t& id) {
    reportIfUnlinked();
    const std::optional<std::string> key = nameKey(name);
    if (!key) {
        return AddResult::Failed;
    }
    Use use(insertUser);
    bindText(insertUser, 1, name);
    bindText(insertUser, 2, *key);
    bindText(insertUser, 3, secret);
    bindText(insertUser, 4, utcText(std::time(nullptr)));
    const int rc = sqlite3_step(insertUser);
    if (rc == SQLITE_DONE) {
        id = int32_t(sqlite3_last_insert_rowid(db));
        return AddResult::Added;
    }
    if (sqlite3_extended_errcode(db) == SQLITE_CONSTRAINT_UNIQUE) {
        return AddResult::Taken;
    }
    logLine("error: adding user: %s", sqlite3_errmsg(db));
    return AddResult::Failed;
}

std::optional<StoredUser> AccountStore::findUser(const std::string& name) {
    Use use(selectSecret);
    bindText(selectSecret, 1, name);
    if (sqlite3_step(selectSecret) != SQLITE_ROW) {
        return std::nullopt;
    }
    StoredUser user;
    user.id = sqlite3_column_int(selectSecret, 0);
    user.secret = columnText(selectSecret, 1);
    return user;
}

std::optional<UserInfo> AccountStore::userInfo(int32_t id) {
    Use use(selectInfo);
    sqlite3_bind_int(selectInfo, 1, id);
    if (sqlite3_step(selectInfo) != SQLITE_ROW) {
        return std::nullopt;
    }
    UserInfo info;
    info.id = id;
    info.name = columnText(selectInfo, 0);
    info.score = sqlite3_column_int(selectInfo, 1);
    info.wins = sqlite3_column_int(selectInfo, 2);
    info.losses = sqlite3_column_int(selectInfo, 3);
    info.draws = sqlite3_column_int(selectInfo, 4);
    return info;
}

std::optional<AccountStore::Ratings> AccountStore::applyScores(const GameRecord& r) {
    const std::optional<UserInfo> black = userInfo(r.blackId);
    const std::optional<UserInfo> white = userInfo(r.whiteId);
    if (!black || !white) {
        return std::nullopt;
    }
    const double blackScore = r.outcome == 0 ? 1.0 : r.outcome == 1 ? 0.0 : 0.5;
    const auto [blackRating, whiteRating] = eloUpdate(black->score, white->score, blackScore);
    const int win[2] = {r.outcome == 0, r.outcome == 1};
    const int draw = r.outcome == 2;
    const std::pair<int32_t, int> rows[2] = {{r.blackId, blackRating}, {r.whiteId, whiteRating}};
    for (int side = 0; side < 2; ++side) {
        Use use(updateScore);
        sqlite3_bind_int(updateScore, 1, rows[side].second);
        sqlite3_bind_int(updateScore, 2, win[side]);
        sqlite3_bind_int(updateScore, 3, win[1 - side]);
        sqlite3_bind_int(updateScore, 4, draw);
        sqlite3_bind_int(updateScore, 5, rows[side].first);
        if (sqlite3_step(updateScore) != SQLITE_DONE) {
            return std::nullopt;
        }
    }
    return Ratings{black->score, blackRating, white->score, whiteRating};
}

void AccountStore::noteFailure() {
    const int code = sqlite3_extended_errcode(db);
    const bool noError = code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE;
    mayPass = !noError && ::mayPass(code);
    failure = noError ? "a player is not in the database" : sqlite3_errmsg(db);
}

void AccountStore::reportIfUnlinked() {
    struct stat file {};
    if (!filePath.empty() && (stat(filePath.c_str(), &file) != 0 || file.st_dev != fileDevice ||
                              file.st_ino != fileInode)) {
        logLine("error: database %s deleted or replaced while the server runs: what it writes "
                "now is lost when it stops",
                filePath.c_str());
    }
}

bool AccountStore::alreadyRecorded(const GameRecord& r) {
    Use use(selectGame);
    bindGame(selectGame, r);
    return sqlite3_step(selectGame) == SQLITE_ROW;
}

bool AccountStore::recordGames(const Recording* games, size_t count) {
    reportIfUnlinked();
    bool ok = exec("BEGIN IMMEDIATE");
    for (size_t i = 0; ok && i < count; ++i) {
        const GameRecord& r = *games[i].record;
        if (games[i].unlessRecorded && alreadyRecorded(r)) {
            continue;
        }
        const std::optional<Ratings> ratings = applyScores(r);
        Use use(insertGame);
        bindGame(insertGame, r);
        if (ratings) {
            const int values[] = {ratings->blackBefore, ratings->blackAfter, ratings->whiteBefore,
                                  ratings->whiteAfter};
            for (int k = 0; k < 4; ++k) {
                sqlite3_bind_int(insertGame, 8 + k, values[k]);
            }
        }
        ok = ratings && sqlite3_step(insertGame) == SQLITE_DONE;
    }
    if (ok && exec("COMMIT")) {
        return true;
    }
    noteFailure();
    exec("ROLLBACK"); // fails harmlessly when the transaction never began
    return false;
}

bool AccountStore::writeStatus(int playersOnline, int gamesRunning, std::time_t now) {
    // A report that would wait for another writer's lock is simply skipped: the next one comes
    // in a few seconds, and the logins and records queued behind it must not wait for it.
    sqlite3_busy_timeout(db, 0);
    Use use(replaceStatus);
    sqlite3_bind_int(replaceStatus, 1, playersOnline);
    sqlite3_bind_int(replaceStatus, 2, gamesRunning);
    bindText(replaceStatus, 3, utcText(now));
    const bool ok = sqlite3_step(replaceStatus) == SQLITE_DONE;
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    return ok;
}
