#include "Accounts.h"

#include "Log.h"
#include "PasswordHash.h"

#include <algorithm>
#include <asio/post.hpp>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace {

constexpr std::chrono::milliseconds kFirstPause{50};
constexpr std::chrono::milliseconds kLongestPause{1000};
constexpr size_t kMostInOneCommit = 64;

// Appends `line` and a newline and returns once they are on the disk; errno tells why not.
bool appendSynced(const std::string& path, const std::string& line) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    const off_t size = ::lseek(fd, 0, SEEK_END);
    const std::string text = line + '\n';
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written >= 0 && size_t(written) < text.size()) {
        errno = ENOSPC; // a short write to a file: the disk or the file-size limit is reached
    }
    const bool ok = size_t(written) == text.size() && ::fdatasync(fd) == 0;
    const int error = errno;
    if (!ok && size >= 0) {
        // Cut off again, so that no later line continues a torn one; should that fail too, the
        // torn line is skipped (and logged) when the journal is read back.
        [[maybe_unused]] const int cut = ::ftruncate(fd, size);
    }
    ::close(fd);
    errno = error;
    return ok;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

Accounts::Accounts(asio::io_context& io, asio::any_io_executor hashing,
                   asio::any_io_executor database, AccountStore& store, HashCost cost,
                   std::chrono::milliseconds gather)
    : io(io), hashing(std::move(hashing)), database(asio::make_strand(std::move(database))),
      store(store), cost(cost), gather(gather), gathering(io), retry(this->database),
      pause(kFirstPause) {
    decoySecret = hashSecret("decoy", cost).value_or("");
    if (!store.path().empty()) {
        journalPath = store.path() + "-unrecorded";
        loadJournal();
    }
    if (!waiting.empty()) { // first of all the database work
        asio::post(this->database, [this] { writeWaiting(); });
    }
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

void Accounts::reportStatus(int playersOnline, int gamesRunning) {
    asio::post(database, [this, playersOnline, gamesRunning] {
        store.writeStatus(playersOnline, gamesRunning, std::time(nullptr));
    });
}

void Accounts::recordGame(GameRecord record, std::function<void()> done) {
    gathered.push_back({std::move(record), std::move(done)});
    if (gathered.size() > 1) {
        return;
    }
    // The first end after a quiet spell goes at once; those that follow it closely wait for the
    // rest of the window, so that a busy server commits at most once per window.
    if (Clock::now() - lastSent >= gather) {
        sendGathered();
        return;
    }
    gathering.expires_at(lastSent + gather);
    gathering.async_wait([this](const std::error_code& ec) {
        if (!ec) {
            sendGathered();
        }
    });
}

void Accounts::sendGathered() {
    lastSent = Clock::now();
    asio::post(database, [this, records = std::move(gathered)]() mutable {
        const bool behind = !waiting.empty(); // records that wait for the database
        for (Waiting& w : records) {
            waiting.push_back(std::move(w));
        }
        if (behind) {
            journalWaiting();
        } else {
            writeWaiting();
        }
    });
    gathered.clear();
}

void Accounts::stop(std::chrono::milliseconds grace) {
    if (!gathered.empty()) {
        gathering.cancel();
        sendGathered();
    }
    asio::post(database, [this, grace] {
        stopBy = Clock::now() + grace;
        if (!waiting.empty()) { // try once more now, and no later than the end of the grace
            retry.cancel();
            writeWaiting();
        }
    });
}

void Accounts::loadJournal() {
    std::ifstream file(journalPath);
    size_t number = 0;
    for (std::string line; std::getline(file, line);) {
        ++number;
        std::optional<GameRecord> record = parseRecordLine(line);
        if (!record) {
            logLine("error: line %zu of %s is no game record, skipped: %s", number,
                    journalPath.c_str(), line.c_str());
            continue;
        }
        waiting.push_back({std::move(*record), nullptr, true, true});
    }
    if (number > 0) {
        journalHolds = true;
        waitingSince = Clock::now();
        logLine("start: %zu games not yet recorded, from %s", waiting.size(), journalPath.c_str());
    }
}

void Accounts::writeWaiting() {
    size_t most = kMostInOneCommit;
    while (!waiting.empty()) {
        const size_t count = std::min(most, waiting.size());
        batch.clear();
        for (size_t i = 0; i < count; ++i) {
            batch.push_back({&waiting[i].record, waiting[i].fromJournal});
        }
        const Clock::time_point tried = Clock::now();
        const bool landed = store.recordGames(batch.data(), count);
        if (!landed && store.failureMayPass()) {
            const std::string notKept = journalWaiting();
            if (!outageLogged) {
                outageLogged = true;
                waitingSince = waitingSince.value_or(tried);
                logLine("error: recording a game: %s; tried again until it lands%s%s",
                        store.failureText().c_str(),
                        notKept.empty() ? "" : ", and it cannot wait in the journal either: ",
                        notKept.c_str());
            }
            const Clock::time_point now = Clock::now();
            if (stopBy && now >= *stopBy) {
                leaveWaiting();
                return;
            }
            auto wait = pause;
            pause = std::min(pause * 2, kLongestPause);
            if (stopBy) {
                wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(*stopBy - now));
            }
            retry.expires_after(wait);
            retry.async_wait([this](const std::error_code& ec) {
                if (!ec) {
                    writeWaiting();
                }
            });
            return;
        }
        if (!landed && count > 1) { // one of them is refused for good: alone, it is found
            most = 1;
            continue;
        }
        std::vector<std::function<void()>> told;
        for (size_t i = 0; i < count; ++i) {
            Waiting& w = waiting.front();
            if (!landed) {
                logLine("error: game of %d and %d not recorded: %s: %s", w.record.blackId,
                        w.record.whiteId, store.failureText().c_str(),
                        recordLine(w.record).c_str());
            } else if (waitingSince) {
                ++landedAfterWaiting;
            }
            if (w.done) {
                told.push_back(std::move(w.done));
            }
            waiting.pop_front();
        }
        if (!told.empty()) {
            asio::post(io, [told = std::move(told)] {
                for (const std::function<void()>& done : told) {
                    done();
                }
            });
        }
    }
    pause = kFirstPause;
    if (waitingSince) {
        logLine("recorded again: %zu games that waited %.1f s for the database", landedAfterWaiting,
                secondsSince(*waitingSince));
        waitingSince.reset();
        outageLogged = false;
        landedAfterWaiting = 0;
    }
    if (journalHolds) {
        journalHolds = false;
        std::remove(journalPath.c_str());
    }
}

std::string Accounts::journalWaiting() {
    for (Waiting& w : waiting) {
        if (w.journaled || journalPath.empty()) {
            continue;
        }
        journalHolds = true;
        if (!appendSynced(journalPath, recordLine(w.record))) {
            return journalPath + ": " + std::generic_category().message(errno);
        }
        w.journaled = true;
    }
    return "";
}

void Accounts::leaveWaiting() {
    journalWaiting();
    size_t kept = 0;
    for (const Waiting& w : waiting) {
        if (w.journaled) {
            ++kept;
        } else {
            logLine("error: game of %d and %d not recorded, and kept nowhere: %s", w.record.blackId,
                    w.record.whiteId, recordLine(w.record).c_str());
        }
    }
    if (kept > 0) {
        logLine("stop: %zu games not yet recorded, left in %s for the next start", kept,
                journalPath.c_str());
    }
    waiting.clear(); // their players' connections are closed: nobody hears of these ends
}
