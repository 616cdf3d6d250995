#pragma once
// Accounts, scores and finished games in one SQLite database (WAL mode, versioned schema,
// prepared statements only). Not thread-safe: Accounts runs every call on its database strand,
// one at a time and in the order they were asked for.

#include "GameRecord.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

struct sqlite3;
struct sqlite3_stmt;

struct UserInfo {
    int32_t id = 0;
    std::string name;
    int32_t score = 0;
    int32_t wins = 0;
    int32_t losses = 0;
    int32_t draws = 0;
};

struct StoredUser {
    int32_t id = 0;
    std::string secret;
};

constexpr int32_t kStartingScore = 1500;
// The version of the database layout this server writes; open() brings older ones up to it.
constexpr int kSchemaVersion = 4;

class AccountStore {
public:
    // Opens or creates the database; null with `error` set when it cannot be used.
    static std::unique_ptr<AccountStore> open(const std::string& path, std::string& error);
    ~AccountStore();
    AccountStore(const AccountStore&) = delete;
    AccountStore& operator=(const AccountStore&) = delete;

    // Taken also when a name with the same nameKey is registered; Failed for a name without one.
    enum class AddResult { Added, Taken, Failed };
    AddResult addUser(const std::string& name, const std::string& secret, int32_t& id);

    // Nothing for an unknown name or a database error.
    std::optional<StoredUser> findUser(const std::string& name);
    std::optional<UserInfo> userInfo(int32_t id);

    // The game row and both players' new scores and tallies, in one transaction. With
    // `unlessRecorded`, a game already there (the same players, end, moves and times) is left
    // as it is, and that counts as recorded: for records written again after a restart.
    bool recordGame(const GameRecord& record, bool unlessRecorded = false) {
        const Recording one[] = {{&record, unlessRecorded}};
        return recordGames(one, 1);
    }
    // Several, in order, in one transaction: all land or none does. A commit costs more than the
    // rows it writes, so games that end together are recorded together.
    struct Recording {
        const GameRecord* record;
        bool unlessRecorded;
    };
    bool recordGames(const Recording* games, size_t count);
    // Of the last recordGame(s) that failed: whether its cause may pass (the file locked, full,
    // read-only, an I/O error), so that the same write may succeed later, and SQLite's words.
    bool failureMayPass() const { return mayPass; }
    const std::string& failureText() const { return failure; }

    // The web face's status row: who is online and how many games run, as of `now`. Skipped
    // (false) rather than waiting when another writer holds the database.
    bool writeStatus(int playersOnline, int gamesRunning, std::time_t now);

    // "" for a database in memory.
    const std::string& path() const { return filePath; }

private:
    AccountStore(sqlite3* db, std::string path);
    bool prepareAll(std::string& error);
    bool exec(const char* sql);
    bool keyNamesAgain();
    struct Ratings {
        int blackBefore, blackAfter, whiteBefore, whiteAfter;
    };
    // Nothing when a player is missing or an update fails.
    std::optional<Ratings> applyScores(const GameRecord& record);
    bool alreadyRecorded(const GameRecord& record);
    // Keeps why the last statement failed, before a rollback clears it.
    void noteFailure();
    // The file's writes go nowhere once it is deleted or replaced: SQLite goes on writing to the
    // open file, and the next start finds none of it. Logged at every write.
    void reportIfUnlinked();

    sqlite3* db;
    std::string filePath;
    dev_t fileDevice = 0;
    ino_t fileInode = 0;
    bool mayPass = false;
    std::string failure;
    sqlite3_stmt* insertUser = nullptr;
    sqlite3_stmt* selectSecret = nullptr;
    sqlite3_stmt* selectInfo = nullptr;
    sqlite3_stmt* updateScore = nullptr;
    sqlite3_stmt* insertGame = nullptr;
    sqlite3_stmt* selectGame = nullptr;
    sqlite3_stmt* replaceStatus = nullptr;
};
