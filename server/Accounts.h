#pragma once
// The account work that must not run on the io thread: argon2id on the hashing pool, database
// calls on the database executor (one thread, so they run one at a time and in the order they
// were asked for: a user-info read asked after a game's end sees that game's scores). Every
// result comes back to the io thread through `done`.

#include "AccountStore.h"
#include "ServerOptions.h"

#include <asio/any_io_executor.hpp>
#include <asio/io_context.hpp>
#include <functional>
#include <optional>
#include <string>

class Accounts {
public:
    Accounts(asio::io_context& io, asio::any_io_executor hashing, asio::any_io_executor database,
             AccountStore& store, HashCost cost);

    // The new user's id, or nothing when the name is taken or the database failed.
    void registerUser(std::string name, std::string digest,
                      std::function<void(std::optional<int32_t>)> done);
    // The user's id when the digest matches the stored secret.
    void login(std::string name, std::string digest,
               std::function<void(std::optional<int32_t>)> done);
    void userInfo(int32_t id, std::function<void(std::optional<UserInfo>)> done);
    // Fire and forget: finished before the database executor is joined at shutdown.
    void recordGame(GameRecord record);

private:
    asio::io_context& io;
    asio::any_io_executor hashing;
    asio::any_io_executor database;
    AccountStore& store;
    HashCost cost;
    // Verified against when a name is unknown, so that a login costs the same either way and
    // its time does not tell which names exist.
    std::string decoySecret;
};
