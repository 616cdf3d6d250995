#include "Accounts.h"

#include "Log.h"
#include "PasswordHash.h"

#include <asio/post.hpp>

Accounts::Accounts(asio::io_context& io, asio::any_io_executor hashing,
                   asio::any_io_executor database, AccountStore& store, HashCost cost)
    : io(io), hashing(std::move(hashing)), database(asio::make_strand(std::move(database))),
      store(store), cost(cost) {
    decoySecret = hashSecret("decoy", cost).value_or("");
}

void Accounts::registerUser(std::string name, std::string digest,
                            std::function<void(std::optional<int32_t>)> done) {
    asio::post(hashing, [this, name = std::move(name), digest = std::move(digest),
                         done = std::move(done)]() mutable {
        std::optional<std::string> secret = hashSecret(digest, cost);
        if (!secret) {
            logLine("error: cannot hash a secret (out of memory)");
            asio::post(io, [done = std::move(done)] { done(std::nullopt); });
            return;
        }
        asio::post(database, [this, name = std::move(name), secret = std::move(*secret),
                              done = std::move(done)]() mutable {
            int32_t newId = 0;
            std::optional<int32_t> id;
            if (store.addUser(name, secret, newId) == AccountStore::AddResult::Added) {
                id = newId;
            }
            asio::post(io, [done = std::move(done), id] { done(id); });
        });
    });
}

void Accounts::login(std::string name, std::string digest,
                     std::function<void(std::optional<int32_t>)> done) {
    asio::post(database, [this, name = std::move(name), digest = std::move(digest),
                          done = std::move(done)]() mutable {
        std::optional<StoredUser> user = store.findUser(name);
        asio::post(hashing, [this, user = std::move(user), digest = std::move(digest),
                             done = std::move(done)]() mutable {
            const bool match = verifySecret(user ? user->secret : decoySecret, digest) && user;
            std::optional<int32_t> id;
            if (match) {
                id = user->id;
            }
            asio::post(io, [done = std::move(done), id] { done(id); });
        });
    });
}

void Accounts::userInfo(int32_t id, std::function<void(std::optional<UserInfo>)> done) {
    asio::post(database, [this, id, done = std::move(done)]() mutable {
        std::optional<UserInfo> info = store.userInfo(id);
        asio::post(io, [done = std::move(done), info = std::move(info)] { done(info); });
    });
}

void Accounts::recordGame(GameRecord record, std::function<void()> done) {
    asio::post(database, [this, record = std::move(record), done = std::move(done)]() mutable {
        if (!store.recordGame(record)) {
            logLine("error: game of %d and %d not recorded", record.blackId, record.whiteId);
        }
        asio::post(io, std::move(done));
    });
}
