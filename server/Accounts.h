#pragma once
// The account work that must not run on the io thread: argon2id on the hashing executor, and
// database calls on a strand over the database executor, so that they run one at a time (the
// AccountStore is not thread-safe) and in the order they were asked for (a user-info read asked
// after a game's end sees that game's scores), however many threads that executor has. Every
// result comes back to the io thread through `done`.

#include "AccountStore.h"
#include "PasswordHash.h"

#include <asio/any_io_executor.hpp>
#include <asio/io_context.hpp>
#include <asio/strand.hpp>
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
    // The record and both players' scores in one transaction; `done` once it has committed (or
    // failed, which is logged).
    void recordGame(GameRecord record, std::function<void()> done);

private:
    asio::io_context& io;
    asio::any_io_executor hashing;
    asio::strand<asio::any_io_executor> database;
    AccountStore& store;
    HashCost cost;
    // Verified against when a name is unknown, so that a login costs the same either way and
    // its time does not tell which names exist.
    std::string decoySecret;
};
