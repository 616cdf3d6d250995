#pragma once
// A connection of the test's own to a server's database file, closed with the object (a
// transaction still open then is rolled back).

#include <cstdlib>
#include <sqlite3.h>
#include <string>

class Database {
public:
    // Waits up to 5 s for a lock another connection (a running server's) holds.
    explicit Database(const std::string& path) {
        sqlite3_open(path.c_str(), &db);
        sqlite3_busy_timeout(db, 5000);
    }
    ~Database() { sqlite3_close(db); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Runs `sql`; false on an error, which error() then tells. The first column of the last row
    // read goes to `value`.
    bool run(const std::string& sql, int* value = nullptr) {
        auto row = [](void* out, int, char** columns, char**) {
            if (out != nullptr && columns[0] != nullptr) {
                *static_cast<int*>(out) = std::atoi(columns[0]);
            }
            return 0;
        };
        return sqlite3_exec(db, sql.c_str(), row, value, nullptr) == SQLITE_OK;
    }

    std::string error() const { return sqlite3_errmsg(db); }

private:
    sqlite3* db = nullptr;
};
