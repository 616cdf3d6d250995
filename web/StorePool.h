#pragma once
// Lends the request handlers their read-only connections to the game server's database. A
// connection serves one request at a time and goes back to the pool after it, so there are never
// more than the worker threads; each keeps its prepared statements for the next request. A
// connection to a file that was replaced, or whose layout changed, is dropped and opened anew;
// a database that is not there yet is looked for again at every request. Thread-safe.

#include "WebStore.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class StorePool {
public:
    explicit StorePool(std::string path) : path(std::move(path)) {}

    class Lease {
    public:
        Lease(StorePool& pool, std::unique_ptr<WebStore> store)
            : pool(pool), store(std::move(store)) {}
        ~Lease();
        Lease(Lease&&) = default;
        // Null when the database is missing or unusable (see StorePool::lease).
        WebStore* get() const { return store.get(); }
        // After a StoreError: the connection is not lent again.
        void discard() { store.reset(); }

    private:
        StorePool& pool;
        std::unique_ptr<WebStore> store;
    };

    // A connection, or an empty lease with `missing` telling whether the database is simply
    // not there yet (a fresh server) rather than unreadable (logged once per new cause).
    Lease lease(bool& missing);

    // Logs `line` unless it is the line logged last: a lasting fault is told once, not at every
    // request.
    void note(const std::string& line);

private:
    const std::string path;
    std::mutex mutex;
    std::vector<std::unique_ptr<WebStore>> idle;
    std::string lastLine;
};
