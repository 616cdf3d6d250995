#pragma once
// The account work that must not run on the io thread: argon2id on the hashing executor, and
// database calls on a strand over the database executor, so that they run one at a time (the
// AccountStore is not thread-safe) and in the order they were asked for, however many threads
// that executor has. Every result comes back to the io thread through `done`.
//
// A game's record that the database cannot take yet (locked by another writer, a full disk, a
// read-only file) waits here and is tried again, with pauses growing to a second, until it
// lands; the outage is logged once as it starts and once as it ends. While records wait, they
// are also kept in a journal beside the database (PATH-unrecorded, synced to disk), which the
// next start writes first: a server killed or stopped meanwhile loses none. Between the tries
// other database work goes on: a read sees what has landed, which is all anyone was told of,
// since the players of a waiting record hear nothing until it lands.

#include "AccountStore.h"
#include "PasswordHash.h"

#include <asio/any_io_executor.hpp>
#include <asio/io_context.hpp>
#include <asio/steady_timer.hpp>
#include <asio/strand.hpp>
#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class Accounts {
public:
    // A game's end that follows another's within `gather` waits for the rest of that time, for
    // others to share its commit: a commit costs more than the rows it writes. Zero writes each
    // at once.
    Accounts(asio::io_context& io, asio::any_io_executor hashing, asio::any_io_executor database,
             AccountStore& store, HashCost cost,
             std::chrono::milliseconds gather = std::chrono::milliseconds(0));

    // The new user's id, or nothing when the name is taken or the database failed.
    void registerUser(std::string name, std::string digest,
                      std::function<void(std::optional<int32_t>)> done);
    // The user's id when the digest matches the stored secret.
    void login(std::string name, std::string digest,
               std::function<void(std::optional<int32_t>)> done);
    void userInfo(int32_t id, std::function<void(std::optional<UserInfo>)> done);
    // The record and both players' scores in one transaction; `done` once it has committed, or
    // once it has failed for a cause that cannot pass (logged with the whole record). Io thread.
    void recordGame(GameRecord record, std::function<void()> done);
    // The web face's status row, written behind the database work already asked for; skipped
    // when another writer holds the database.
    void reportStatus(int playersOnline, int gamesRunning);
    // The end of serving: records still waiting get `grace` more to land, then stay in the
    // journal (or, where that cannot be written either, in the log) without their `done`. After
    // that the database executor runs out of work.
    void stop(std::chrono::milliseconds grace);

private:
    struct Waiting {
        GameRecord record;
        std::function<void()> done;
        bool journaled = false;
        // Read back at the start: it may have landed just before the last run ended.
        bool fromJournal = false;
    };
    using Clock = std::chrono::steady_clock;

    // In the constructor; the rest runs on the database strand, as do the members below.
    void loadJournal();
    void writeWaiting();
    // Empty once every waiting record is in the journal, else why not.
    std::string journalWaiting();
    void leaveWaiting();

    asio::io_context& io;
    asio::any_io_executor hashing;
    asio::strand<asio::any_io_executor> database;
    AccountStore& store;
    HashCost cost;
    // Verified against when a name is unknown, so that a login costs the same either way and
    // its time does not tell which names exist.
    std::string decoySecret;

    std::string journalPath; // empty for a database in memory
    bool journalHolds = false;
    std::deque<Waiting> waiting;
    // Gathered on the io thread, so that the database thread wakes once for them all.
    std::chrono::milliseconds gather;
    std::vector<Waiting> gathered;
    asio::steady_timer gathering;
    Clock::time_point lastSent; // of the last gathering
    void sendGathered();

    std::vector<AccountStore::Recording> batch; // kept for its storage
    asio::steady_timer retry;
    std::chrono::milliseconds pause;
    std::optional<Clock::time_point> waitingSince, stopBy;
    bool outageLogged = false;
    size_t landedAfterWaiting = 0;
};
