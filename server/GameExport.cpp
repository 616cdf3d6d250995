#include "GameExport.h"

#include "AccountStore.h"
#include "SgfRecord.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <sqlite3.h>
#include <unistd.h>

namespace {

std::string columnText(sqlite3_stmt* s, int column) {
    const unsigned char* text = sqlite3_column_text(s, column);
    return text == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(text));
}

// The game in the current row of the games query; nothing when a column is not as written.
std::optional<ExportedGame> readGame(sqlite3_stmt* s) {
    ExportedGame game;
    game.id = sqlite3_column_int64(s, 0);
    game.black = columnText(s, 1);
    game.white = columnText(s, 2);
    game.outcome = sqlite3_column_int(s, 3);
    const std::optional<GameEnd> reason = parseGameEnd(columnText(s, 4));
    std::optional<std::vector<GameMove>> moves = parseMovesText(columnText(s, 5));
    if (game.black.empty() || game.white.empty() || game.outcome < 0 || game.outcome > 2 ||
        !reason || !moves || !parseUtcText(columnText(s, 6), game.started) ||
        !parseUtcText(columnText(s, 7), game.ended)) {
        return std::nullopt;
    }
    game.reason = *reason;
    game.moves = std::move(*moves);
    return game;
}

enum class Written { New, AlreadyThere, Failed };

// Through a temporary file and a hard link: the name appears only with the whole text behind
// it, and never replaces a file of the same name, even one made by another export meanwhile.
Written writeOnce(const std::string& folder, const std::string& name, const std::string& text,
                  std::string& error) {
    const std::string path = folder + "/" + name;
    if (access(path.c_str(), F_OK) == 0) {
        return Written::AlreadyThere;
    }
    std::string temporary = folder + "/.koralith-export-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        error = "cannot write in " + folder + ": " + std::strerror(errno);
        return Written::Failed;
    }
    const ssize_t n = write(fd, text.data(), text.size());
    const bool full = n == ssize_t(text.size());
    const int failure = n < 0 ? errno : ENOSPC; // a short write: the disk is full
    close(fd);
    Written result = Written::Failed;
    if (full && link(temporary.c_str(), path.c_str()) == 0) {
        result = Written::New;
    } else if (full && errno == EEXIST) {
        result = Written::AlreadyThere;
    } else {
        error = "cannot write " + path + ": " + std::strerror(full ? errno : failure);
    }
    unlink(temporary.c_str());
    return result;
}

// The schema's version, or an error message.
std::optional<int> schemaVersion(sqlite3* db, std::string& error) {
    sqlite3_stmt* s = nullptr;
    std::optional<int> version;
    if (sqlite3_prepare_v2(db, "SELECT MAX(version) FROM schema_version", -1, &s, nullptr) !=
            SQLITE_OK ||
        sqlite3_step(s) != SQLITE_ROW || sqlite3_column_type(s, 0) == SQLITE_NULL) {
        error = std::string("not a Koralith database: ") + sqlite3_errmsg(db);
    } else if (sqlite3_column_int(s, 0) != kSchemaVersion) {
        error = "schema version " + std::to_string(sqlite3_column_int(s, 0)) +
                ", this server reads version " + std::to_string(kSchemaVersion) +
                (sqlite3_column_int(s, 0) < kSchemaVersion
                     ? ": start koralith-server on it once to bring it up to date"
                     : "");
    } else {
        version = kSchemaVersion;
    }
    sqlite3_finalize(s);
    return version;
}

struct Tally {
    int written = 0, alreadyThere = 0, unreadable = 0;
};

// Every game of the open database, in one read transaction.
bool exportAll(sqlite3* db, const std::string& folder, Tally& tally, std::string& error) {
    if (sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK ||
        !schemaVersion(db, error)) {
        error = error.empty() ? sqlite3_errmsg(db) : error;
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        error = "cannot make " + folder + ": " + ec.message();
        return false;
    }
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db,
                           "SELECT g.id, b.name, w.name, g.outcome, g.reason, g.moves, g.started,"
                           " g.ended FROM games g LEFT JOIN users b ON b.id = g.black"
                           " LEFT JOIN users w ON w.id = g.white ORDER BY g.id",
                           -1, &s, nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(db);
        return false;
    }
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        const std::optional<ExportedGame> game = readGame(s);
        if (!game) {
            std::fprintf(stderr, "koralith-server: game %lld is not readable, left out\n",
                         sqlite3_column_int64(s, 0));
            ++tally.unreadable;
            continue;
        }
        const Written written = writeOnce(folder, sgfFileName(*game), sgfText(*game), error);
        if (written == Written::Failed) {
            break;
        }
        ++(written == Written::New ? tally.written : tally.alreadyThere);
    }
    sqlite3_finalize(s);
    if (error.empty() && rc != SQLITE_DONE) {
        error = sqlite3_errmsg(db);
    }
    return error.empty();
}

} // namespace

int exportGames(const std::string& databasePath, const std::string& folder) {
    // Read-only: no write lock, no schema migration, and a missing file is not created.
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(databasePath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::string error = rc == SQLITE_OK                         ? ""
                        : std::filesystem::exists(databasePath) ? sqlite3_errstr(rc)
                                                                : "no such file";
    Tally tally;
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        exportAll(db, folder, tally, error);
    }
    sqlite3_close(db); // also ends the read transaction
    if (!error.empty()) {
        std::fprintf(stderr, "koralith-server: export from %s stopped: %s\n", databasePath.c_str(),
                     error.c_str());
        return 1;
    }
    std::printf("%d game%s written to %s, %d already there", tally.written,
                tally.written == 1 ? "" : "s", folder.c_str(), tally.alreadyThere);
    if (tally.unreadable > 0) {
        std::printf(", %d not readable (see above)", tally.unreadable);
    }
    std::printf("\n");
    return tally.unreadable > 0 ? 1 : 0;
}
