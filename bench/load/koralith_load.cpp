// koralith-load: protocol bots against a koralith-server on this machine (loopback only). They
// register, log in, match and play random legal games to their end, again and again, for a
// bounded time; then the tool reports the connections held, games and moves per second, the
// move relay latency beside a bare TCP echo's round trip measured in the same run, and the
// server's CPU time per move. Each 16 bots share a source address of 127.1.0.0/16, like players
// behind one router, within the 20 new accounts a minute the server allows an address. With
// --hashing it measures the password hashing instead (HashingRun.h).
//
//   koralith-load --port P [--bots N] [--seconds S] [--think-ms T] [--server-pid PID]
//                 [--malloc-count FILE]
//   koralith-load --port P --hashing [--seconds S] [--server-pid PID]
//
// For the bots the server should run with --hash-cost min, or registering thousands of them
// takes minutes; for --hashing with its real cost. --malloc-count names the counter file of a
// server that runs with koralith-malloc-count.so preloaded (MallocCount.cpp).

#include "EchoProbe.h"
#include "HashingRun.h"
#include "LoadBot.h"

#include <algorithm>
#include <asio/steady_timer.hpp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

struct Options {
    unsigned short port = 0;
    int bots = 1000;
    int seconds = 20;
    int thinkMs = 100; // a bot moving more than 200 times a second is a flood to the server
    int echoClients = 64;
    long serverPid = 0;
    std::string prefix;
    std::string mallocCount;
    bool hashing = false;
};

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string key = argv[i];
        if (key == "--hashing") {
            o.hashing = true;
            continue;
        }
        if (++i == argc) {
            return false;
        }
        const long value = std::strtol(argv[i], nullptr, 10);
        if (key == "--port" && value > 0 && value < 65536) {
            o.port = static_cast<unsigned short>(value);
        } else if (key == "--bots" && value >= 2 && value <= 10000) {
            o.bots = int(value);
        } else if (key == "--seconds" && value >= 1 && value <= 300) {
            o.seconds = int(value);
        } else if (key == "--think-ms" && value >= 0 && value <= 10000) {
            o.thinkMs = int(value);
        } else if (key == "--echo-clients" && value >= 1 && value <= 1000) {
            o.echoClients = int(value);
        } else if (key == "--server-pid" && value > 0) {
            o.serverPid = value;
        } else if (key == "--prefix") {
            o.prefix = argv[i];
        } else if (key == "--malloc-count") {
            o.mallocCount = argv[i];
        } else {
            return false;
        }
    }
    return o.port != 0;
}

uint32_t percentile(std::vector<uint32_t>& v, double p) {
    if (v.empty()) {
        return 0;
    }
    const size_t k = std::min(v.size() - 1, size_t(p * double(v.size())));
    std::nth_element(v.begin(), v.begin() + long(k), v.end());
    return v[k];
}

// CPU seconds (user + system) of a process, from /proc.
double cpuSeconds(long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) {
        return 0;
    }
    std::vector<std::string> fields;
    size_t at = close + 2;
    while (at < text.size() && fields.size() < 15) {
        const size_t end = text.find(' ', at);
        fields.push_back(text.substr(at, end - at));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    if (fields.size() < 15) {
        return 0;
    }
    return double(std::atol(fields[11].c_str()) + std::atol(fields[12].c_str())) /
           double(sysconf(_SC_CLK_TCK));
}

// Busy and total jiffies of the whole machine.
std::pair<double, double> machineJiffies() {
    std::ifstream in("/proc/stat");
    std::string cpu;
    double v[8] = {};
    in >> cpu >> v[0] >> v[1] >> v[2] >> v[3] >> v[4] >> v[5] >> v[6] >> v[7];
    double total = 0;
    for (double x : v) {
        total += x;
    }
    return {total - v[3] - v[4], total};
}

// The server's allocations so far, from the counter file its preloaded counter keeps.
uint64_t allocations(const std::string& path) {
    uint64_t n = 0;
    std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(&n), sizeof n);
    return n;
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        std::fprintf(stderr, "usage: koralith-load --port P [--bots 2..10000] [--seconds 1..300]"
                             " [--think-ms T] [--echo-clients E] [--server-pid PID]"
                             " [--prefix NAME] [--malloc-count FILE] [--hashing]\n");
        return 2;
    }
    if (o.prefix.empty()) {
        o.prefix = "bot" + std::to_string(getpid()) + "-";
    }
    if (o.hashing) {
        return runHashing({o.port, o.seconds, o.serverPid, o.prefix});
    }
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_cur < rlim_t(o.bots + 2 * o.echoClients + 64)) {
        std::fprintf(stderr, "koralith-load: %d bots need more descriptors than the limit %lu\n",
                     o.bots, static_cast<unsigned long>(limit.rlim_cur));
        return 1;
    }

    asio::io_context io(1);
    const asio::ip::tcp::endpoint server(asio::ip::address_v4::loopback(), o.port);
    LoadStats stats;
    std::vector<std::shared_ptr<LoadBot>> bots;
    EchoProbe echo(io, o.echoClients, std::chrono::milliseconds(10));
    if (!echo.start()) {
        std::fprintf(stderr, "koralith-load: cannot start the echo server\n");
        return 1;
    }

    // Connect in waves so that the server's accept backlog never overflows.
    using Clock = std::chrono::steady_clock;
    const auto begun = Clock::now();
    asio::steady_timer ticker(io);
    int started = 0;
    enum Phase { Ramp, Measure, Done } phase = Ramp;
    Clock::time_point measureStart;
    std::pair<double, double> machineStart;
    double serverCpuStart = 0;
    uint64_t allocationsStart = 0;
    double ownCpuStart = 0;
    size_t minGames = SIZE_MAX, maxGames = 0, gameSamples = 0;
    double gameSum = 0;
    const auto ownCpu = [] {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
               double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    };
    const std::string loadBefore = loadAverage();

    std::function<void()> tick = [&] {
        const auto now = Clock::now();
        if (phase == Ramp) {
            for (int i = 0; i < 250 && started < o.bots; ++i, ++started) {
                auto bot = std::make_shared<LoadBot>(io, stats, o.prefix + std::to_string(started),
                                                     std::chrono::milliseconds(o.thinkMs),
                                                     uint32_t(started + 1));
                bots.push_back(bot);
                bot->start(server, asio::ip::address_v4(0x7F010001u + uint32_t(started / 16)));
            }
            const bool ready = started == o.bots && stats.loggedIn + stats.errors >= size_t(o.bots);
            if (ready || now - begun > std::chrono::seconds(120)) {
                phase = Measure;
                measureStart = now;
                stats.measuring = true;
                echo.measuring = true;
                machineStart = machineJiffies();
                serverCpuStart = o.serverPid ? cpuSeconds(o.serverPid) : 0;
                allocationsStart = o.mallocCount.empty() ? 0 : allocations(o.mallocCount);
                ownCpuStart = ownCpu();
                std::fprintf(stderr, "koralith-load: %zu bots logged in after %.1f s; measuring\n",
                             stats.loggedIn, std::chrono::duration<double>(now - begun).count());
            }
        } else if (phase == Measure) {
            const size_t games = stats.inGame / 2;
            minGames = std::min(minGames, games);
            maxGames = std::max(maxGames, games);
            gameSum += double(games);
            ++gameSamples;
            if (now - measureStart >= std::chrono::seconds(o.seconds)) {
                phase = Done;
                stats.measuring = false;
                echo.measuring = false;
                const double elapsed = std::chrono::duration<double>(now - measureStart).count();
                const auto machineEnd = machineJiffies();
                const double busy = (machineEnd.first - machineStart.first) /
                                    std::max(1.0, machineEnd.second - machineStart.second);
                size_t held = 0;
                for (const auto& b : bots) {
                    held += b->connected() ? 1 : 0;
                }
                const uint32_t relay50 = percentile(stats.relayMicros, 0.50);
                const uint32_t relay99 = percentile(stats.relayMicros, 0.99);
                const uint32_t end50 = percentile(stats.endMicros, 0.50);
                const uint32_t end99 = percentile(stats.endMicros, 0.99);
                const uint32_t echo50 = percentile(echo.roundTripMicros, 0.50);
                const uint32_t echo99 = percentile(echo.roundTripMicros, 0.99);
                std::printf("bots %d, think %d ms, measured %.1f s\n", o.bots, o.thinkMs, elapsed);
                std::printf("connections held     %zu of %d (errors %zu%s%s)\n", held, o.bots,
                            stats.errors,
                            stats.lastError.empty() ? "" : ", last: ", stats.lastError.c_str());
                std::printf("concurrent games     min %zu, mean %.0f, max %zu\n",
                            minGames == SIZE_MAX ? 0 : minGames,
                            gameSamples ? gameSum / double(gameSamples) : 0.0, maxGames);
                std::printf("moves per second     %.0f\n", double(stats.moves) / elapsed);
                std::printf("games per second     %.1f\n", double(stats.games) / elapsed);
                std::printf("relay latency        p50 %u us, p99 %u us (%zu samples)\n", relay50,
                            relay99, stats.relayMicros.size());
                std::printf("game end relayed     p50 %u us, p99 %u us (%zu samples)\n", end50,
                            end99, stats.endMicros.size());
                std::printf("bare echo round trip p50 %u us, p99 %u us (%zu samples, %zu errors)\n",
                            echo50, echo99, echo.roundTripMicros.size(), echo.errors);
                std::printf("relay p99 / echo p99 %.2f\n",
                            echo99 ? double(relay99) / double(echo99) : 0.0);
                const double serverCpu =
                    o.serverPid ? cpuSeconds(o.serverPid) - serverCpuStart : 0.0;
                std::printf("cpu                  server %.0f%%, load tool %.0f%%, machine busy "
                            "%.0f%% of %ld cores\n",
                            100 * serverCpu / elapsed, 100 * (ownCpu() - ownCpuStart) / elapsed,
                            100 * busy, sysconf(_SC_NPROCESSORS_ONLN));
                std::printf("server cpu per move  %.1f us\n",
                            stats.moves ? 1e6 * serverCpu / double(stats.moves) : 0.0);
                if (!o.mallocCount.empty()) {
                    const uint64_t made = allocations(o.mallocCount) - allocationsStart;
                    std::printf("server allocations per move %.2f\n",
                                stats.moves ? double(made) / double(stats.moves) : 0.0);
                }
                std::printf("load average         before %s, after %s\n", loadBefore.c_str(),
                            loadAverage().c_str());
                std::fflush(stdout);
                for (auto& b : bots) {
                    b->stop();
                }
                echo.stop();
                io.stop();
                return;
            }
        }
        ticker.expires_after(std::chrono::milliseconds(100));
        ticker.async_wait([&](std::error_code ec) {
            if (!ec) {
                tick();
            }
        });
    };
    tick();
    io.run();
    return stats.errors == 0 ? 0 : 1;
}
