#include "HashingRun.h"

#include "AccountClient.h"
#include "EventCodes.h"

#include <algorithm>
#include <asio/post.hpp>
#include <asio/steady_timer.hpp>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <future>
#include <thread>

namespace {

using Clock = AccountClient::Clock;
using Clients = std::vector<std::shared_ptr<AccountClient>>;
constexpr int kFloodAddresses = 4;
constexpr int kFloodConnections = 64; // per address, the server's default cap
// A flood connection sends no more often than this: faster, the server closes it as flooding.
constexpr std::chrono::milliseconds kFloodPace{10};
constexpr std::chrono::seconds kPatience{60}; // for any one answer

asio::ip::address loopback(int host) {
    return asio::ip::address_v4(0x7F000000u + uint32_t(host));
}

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) {
        return 0;
    }
    const size_t k = std::min(v.size() - 1, size_t(p * double(v.size())));
    std::nth_element(v.begin(), v.begin() + long(k), v.end());
    return v[k];
}

// Runs `start` on the io thread, which calls its argument once when done; waits for that.
bool onIo(asio::io_context& io, const std::function<void(std::function<void()>)>& start) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    asio::post(io, [start, done] { start([done] { done->set_value(); }); });
    return finished.wait_for(kPatience) == std::future_status::ready;
}

// One request on each client at once; the round trips of those answered with `yes`.
std::vector<double> together(asio::io_context& io, const Clients& clients, int32_t code,
                             const std::function<std::string(size_t)>& name, int32_t yes = 1) {
    auto took = std::make_shared<std::vector<double>>();
    // Everything by value: the io thread may outlive a wait that gave up.
    const bool answered = onIo(io, [clients, code, name, yes, took](std::function<void()> done) {
        auto left = std::make_shared<size_t>(clients.size());
        for (size_t i = 0; i < clients.size(); ++i) {
            clients[i]->request(code, name(i), "pw",
                                [took, left, done, yes](int32_t result, Clock::duration d) {
                                    if (result == yes) {
                                        took->push_back(ms(d));
                                    }
                                    if (--*left == 0) {
                                        done();
                                    }
                                });
        }
    });
    return answered ? *took : std::vector<double>{};
}

Clients connected(asio::io_context& io, const asio::ip::tcp::endpoint& server, int host,
                  size_t count) {
    Clients clients;
    for (size_t i = 0; i < count; ++i) {
        clients.push_back(std::make_shared<AccountClient>(io, loopback(host)));
    }
    onIo(io, [clients, server, count](std::function<void()> done) {
        auto left = std::make_shared<size_t>(count);
        for (auto& c : clients) {
            c->connect(server, [left, done](bool) {
                if (--*left == 0) {
                    done();
                }
            });
        }
    });
    return clients;
}

// Registrations without end, one in flight on each connection, new names each time. Io thread
// only, once started.
class Flood {
public:
    Flood(asio::io_context& io, asio::ip::tcp::endpoint server, std::string prefix)
        : io(io), server(std::move(server)), prefix(std::move(prefix)) {}

    void start() {
        for (int a = 0; a < kFloodAddresses; ++a) {
            for (int c = 0; c < kFloodConnections; ++c) {
                open(slots.emplace_back(std::make_shared<Slot>(io, loopback(2 + a))));
            }
        }
    }
    void stop() {
        running = false;
        for (auto& slot : slots) {
            slot->pace.cancel();
            slot->client->close();
        }
    }
    size_t registered = 0, refused = 0, closed = 0; // closed: by the server

private:
    struct Slot {
        Slot(asio::io_context& io, asio::ip::address from)
            : from(from), client(std::make_shared<AccountClient>(io, from)), pace(io) {}
        asio::ip::address from;
        std::shared_ptr<AccountClient> client;
        asio::steady_timer pace;
    };
    using SlotPtr = std::shared_ptr<Slot>;

    void open(const SlotPtr& slot) {
        slot->client->connect(server, [this, slot](bool ok) {
            if (ok) {
                next(slot);
            } else {
                again(slot, std::chrono::milliseconds(100));
            }
        });
    }
    void next(const SlotPtr& slot) {
        if (!running) {
            return;
        }
        const auto sent = Clock::now();
        slot->client->request(
            EVENT_REG, prefix + "f" + std::to_string(names++), "pw",
            [this, slot, sent](int32_t result, Clock::duration) {
                if (!running) {
                    return;
                }
                if (result < 0) { // closed by the server: a new connection in its place
                    ++closed;
                    slot->client = std::make_shared<AccountClient>(io, slot->from);
                    again(slot, std::chrono::milliseconds(100));
                    return;
                }
                ++(result == 1 ? registered : refused);
                slot->pace.expires_at(sent + kFloodPace);
                slot->pace.async_wait([this, slot](std::error_code ec) {
                    if (!ec) {
                        next(slot);
                    }
                });
            });
    }
    void again(const SlotPtr& slot, std::chrono::milliseconds after) {
        slot->pace.expires_after(after);
        slot->pace.async_wait([this, slot](std::error_code ec) {
            if (!ec && running) {
                open(slot);
            }
        });
    }

    asio::io_context& io;
    asio::ip::tcp::endpoint server;
    std::string prefix;
    std::vector<SlotPtr> slots;
    size_t names = 0;
    bool running = true;
};

// How long the process takes to exit after a SIGTERM, or a negative time when it did not within
// kPatience. It is not our child: it has exited once /proc shows it gone or a zombie.
double stopMs(long pid) {
    const auto exited = [pid] {
        std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const size_t close = text.rfind(')');
        return close == std::string::npos || text.compare(close, 3, ") Z") == 0;
    };
    const auto start = Clock::now();
    if (kill(pid_t(pid), SIGTERM) != 0) {
        return -1;
    }
    while (!exited()) {
        if (Clock::now() - start > kPatience) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return ms(Clock::now() - start);
}

} // namespace

int runHashing(const HashingOptions& o) {
    asio::io_context io(1);
    auto work = asio::make_work_guard(io);
    std::thread ioThread([&] { io.run(); });
    const asio::ip::tcp::endpoint server(asio::ip::address_v4::loopback(), o.port);
    const auto clean = [&](size_t i) { return o.prefix + "clean" + std::to_string(i); };
    const auto none = [](size_t) { return std::string(); };

    Clients players = connected(io, server, 1, 16);
    const size_t accounts = together(io, players, EVENT_REG, clean).size();
    const Clients one(players.begin(), players.begin() + 1);
    std::vector<double> alone, atOnce, underFlood;
    for (int round = 0; round < 5; ++round) {
        for (double t : together(io, one, EVENT_LOGIN, clean)) {
            alone.push_back(t);
        }
        together(io, one, EVENT_LOGOUT, none);
    }
    for (int round = 0; round < 5; ++round) {
        for (double t : together(io, players, EVENT_LOGIN, clean)) {
            atOnce.push_back(t);
        }
        together(io, players, EVENT_LOGOUT, none);
    }

    Flood flood(io, server, o.prefix);
    asio::post(io, [&] { flood.start(); });
    const auto floodStart = Clock::now();
    while (Clock::now() - floodStart < std::chrono::seconds(o.seconds)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        for (double t : together(io, one, EVENT_LOGIN, clean)) {
            underFlood.push_back(t);
        }
        together(io, one, EVENT_LOGOUT, none);
    }
    // The flood's counts before the stop closes its connections.
    size_t registered = 0, refused = 0, closed = 0;
    onIo(io, [&](std::function<void()> done) {
        registered = flood.registered;
        refused = flood.refused;
        closed = flood.closed;
        done();
    });
    const double stopped = o.serverPid ? stopMs(o.serverPid) : 0;
    onIo(io, [&](std::function<void()> done) {
        flood.stop();
        for (auto& p : players) {
            p->close();
        }
        done();
    });
    work.reset();
    io.stop();
    ioThread.join();

    std::printf("hashing run          %zu of 16 accounts, then %d s of registration flood from "
                "%d addresses x %d connections\n",
                accounts, o.seconds, kFloodAddresses, kFloodConnections);
    std::printf("one login alone      p50 %.0f ms (%zu samples)\n", percentile(alone, 0.5),
                alone.size());
    std::printf("16 logins at once    p50 %.0f ms, p99 %.0f ms (%zu samples)\n",
                percentile(atOnce, 0.5), percentile(atOnce, 0.99), atOnce.size());
    std::printf("login under flood    p50 %.0f ms, p99 %.0f ms (%zu samples; flood %zu registered, "
                "%zu refused, %zu connections closed)\n",
                percentile(underFlood, 0.5), percentile(underFlood, 0.99), underFlood.size(),
                registered, refused, closed);
    if (o.serverPid) {
        std::printf("stop under flood     %.0f ms\n", stopped);
    }
    std::fflush(stdout);
    const bool measured = accounts == 16 && alone.size() == 5 && atOnce.size() == 80 &&
                          !underFlood.empty() && stopped >= 0;
    return measured ? 0 : 1;
}
