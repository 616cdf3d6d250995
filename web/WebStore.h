#pragma once
// What the pages show, read from the game server's database through one read-only connection
// (opened with mode=ro and query_only, so it can never write nor take the write lock; in WAL
// mode the game server writes on meanwhile). Older layouts are read too: before version 4 the
// games have no ratings and there is no status row. Not thread-safe: one request uses a store
// at a time (StorePool lends them out). Each query reads in one short read transaction.

#include "SgfRecord.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/types.h>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

constexpr int kPlayersPerPage = 50;
constexpr int kRecentGames = 50;
constexpr int kHistoryPoints = 1000; // the chart's newest rated games
constexpr int kStatusFreshSeconds = 30;

// Every text in these is cleanText'd.
struct PlayerSummary {
    std::string name;
    int32_t rating = 0, wins = 0, losses = 0, draws = 0;
    int32_t games() const { return wins + losses + draws; }
};

struct ServerStatus {
    bool reporting = false; // a status row younger than kStatusFreshSeconds
    int32_t playersOnline = 0, gamesRunning = 0;
};

struct Leaderboard {
    int page = 1, pages = 1;
    int64_t firstRank = 1;
    std::vector<PlayerSummary> players;
    ServerStatus status;
};

struct RatingChange {
    std::optional<int32_t> before, after; // none for games recorded before version 4
};

struct PlayerGame {
    int64_t id = 0;
    std::string opponent;
    bool black = false; // the player's colour
    int32_t outcome = 0;
    GameEnd reason = GameEnd::Five;
    std::string ended; // "YYYY-MM-DD HH:MM:SSZ"
    RatingChange rating;
};

struct RatingPoint {
    int64_t game = 0;
    int32_t rating = 0;
};

struct PlayerProfile {
    PlayerSummary player;
    std::vector<RatingPoint> history; // oldest first
    std::vector<PlayerGame> recent;   // newest first
};

struct GameDetail {
    ExportedGame game;
    RatingChange black, white;
    std::string started, ended; // as stored
};

// A database error in the middle of a query: the request fails, the next one reopens.
struct StoreError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class WebStore {
public:
    enum class Opened { Ready, Missing, Failed };
    // Missing: no file yet, or the game server has not laid out its tables yet.
    static Opened open(const std::string& path, std::unique_ptr<WebStore>& store,
                       std::string& error);
    ~WebStore();
    WebStore(const WebStore&) = delete;
    WebStore& operator=(const WebStore&) = delete;

    // The file was replaced or deleted, or its layout changed, since the store was opened.
    bool stale();

    // Nothing when the page is past the last one.
    std::optional<Leaderboard> leaderboard(int page);
    std::optional<PlayerProfile> player(const std::string& name);
    std::optional<GameDetail> game(int64_t id);
    // Also when the database is there but not yet laid out.
    ServerStatus status();

private:
    WebStore(sqlite3* db, std::string path);
    bool prepare(std::string& error);
    // Fills ranking.starts up to `page` (fewer past the last player), after emptying it when
    // another connection has committed since it was filled.
    void learnRanking(int page);

    sqlite3* db;
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    int schemaCookie = 0;
    bool hasStatus = false;
    // Where each leaderboard page starts (score and id of its first player), learnt while
    // walking the ranking. Exact while PRAGMA data_version is unchanged (no other connection
    // has committed), so that a page deep in the ranking is one seek rather than a walk past
    // every player above it; a change costs no more than that walk did.
    struct Ranking {
        int64_t version = -1;
        int64_t players = 0;
        std::vector<std::pair<int32_t, int64_t>> starts;
    } ranking;
    sqlite3_stmt* schemaVersion = nullptr;
    sqlite3_stmt* dataVersion = nullptr;
    sqlite3_stmt* countPlayers = nullptr;
    sqlite3_stmt* walkRanking = nullptr;
    sqlite3_stmt* pageOfPlayers = nullptr;
    sqlite3_stmt* playerByName = nullptr;
    sqlite3_stmt* ratingHistory = nullptr;
    sqlite3_stmt* recentGames = nullptr;
    sqlite3_stmt* gameById = nullptr;
    sqlite3_stmt* statusRow = nullptr;
};
