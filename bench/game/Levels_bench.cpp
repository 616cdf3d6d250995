// The levels against each other: Hard against Normal and Normal against Easy, from a fixed
// seeded set of openings of 2 to 4 stones near the centre, each opening played twice with the
// colours swapped (Normal and Hard are deterministic, so the openings are what makes the games
// differ; Easy gets a seed per game). Prints each pairing's results and the CPU time per move of
// each level (p50, p99 over every move of the tournament), also into the JSON output's context
// where the figures summary reads them.
//   koralith-bench-levels [--openings N]   N openings, 2 N games per pairing (default 50)
#include "Opponent.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr uint64_t kOpeningSeed = 20261207;

uint64_t next(uint64_t& state) {
    uint64_t z = (state += 0x9e3779b97f4a7c15u);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
}

// Cells of 2 to 4 stones within two lines of the centre, black first.
std::vector<std::vector<int>> openings(int count) {
    uint64_t state = kOpeningSeed;
    std::vector<std::vector<int>> all;
    while (static_cast<int>(all.size()) < count) {
        std::vector<int> stones;
        const int n = 2 + static_cast<int>(next(state) % 3);
        while (static_cast<int>(stones.size()) < n) {
            const int x = kCentre - 2 + static_cast<int>(next(state) % 5);
            const int y = kCentre - 2 + static_cast<int>(next(state) % 5);
            if (std::find(stones.begin(), stones.end(), cellIndex(x, y)) == stones.end()) {
                stones.push_back(cellIndex(x, y));
            }
        }
        all.push_back(stones);
    }
    return all;
}

double cpuMs() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

std::vector<double> times[3]; // per level, every move's CPU time

// The colour that made five, or 0 for a full board.
int32_t play(Level black, Level white, const std::vector<int>& opening, uint64_t seed) {
    int32_t cells[kCellCount] = {};
    int32_t colour = kBlack;
    for (int cell : opening) {
        cells[cell] = colour;
        colour = opponentOf(colour);
    }
    Opponent players[2] = {Opponent(black, kBlack, nullptr, seed),
                           Opponent(white, kWhite, nullptr, seed)};
    for (int moves = static_cast<int>(opening.size()); moves < kCellCount; ++moves) {
        Opponent& mover = players[colour - 1];
        const double start = cpuMs();
        const Point p = mover.chooseMove(cells);
        times[static_cast<int>(mover.level())].push_back(cpuMs() - start);
        if (!p.valid() || cells[cellIndex(p.x, p.y)] != kEmpty) {
            std::fprintf(stderr, "%s played an illegal move\n", levelName(mover.level()));
            std::exit(1);
        }
        cells[cellIndex(p.x, p.y)] = colour;
        if (checkFive(cells, p.x, p.y, colour)) {
            return colour;
        }
        colour = opponentOf(colour);
    }
    return kEmpty;
}

void tournament(Level strong, Level weak, const std::vector<std::vector<int>>& set) {
    int won = 0;
    int lost = 0;
    int drawn = 0;
    int wonAsBlack = 0;
    for (size_t i = 0; i < set.size(); ++i) {
        for (int strongBlack = 1; strongBlack >= 0; --strongBlack) {
            const uint64_t seed = 2 * i + static_cast<uint64_t>(strongBlack);
            const int32_t winner =
                strongBlack ? play(strong, weak, set[i], seed) : play(weak, strong, set[i], seed);
            const int32_t strongColour = strongBlack ? kBlack : kWhite;
            won += winner == strongColour ? 1 : 0;
            wonAsBlack += winner == strongColour && strongBlack ? 1 : 0;
            lost += winner == opponentOf(strongColour) ? 1 : 0;
            drawn += winner == kEmpty ? 1 : 0;
        }
    }
    const int games = 2 * static_cast<int>(set.size());
    char text[160];
    std::snprintf(text, sizeof text,
                  "%.1f %% (%d won, %d lost, %d drawn of %d games; %d of %d won as black)",
                  100.0 * won / games, won, lost, drawn, games, wonAsBlack, games / 2);
    const std::string name = std::string(levelName(strong)) + " vs " + levelName(weak);
    std::printf("%s: %s\n", name.c_str(), text);
    benchmark::AddCustomContext(name, text);
}

double percentile(std::vector<double> v, double q) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(q * static_cast<double>(v.size())))];
}

// Hard's move on a fixed middle-game position, for a time per move beside the tournament's.
void BM_HardMove(benchmark::State& state) {
    const std::vector<std::pair<int, int>> moves = {{7, 7}, {8, 8}, {6, 8},  {8, 6}, {9, 7},
                                                    {5, 9}, {8, 7}, {10, 7}, {6, 7}, {5, 7}};
    int32_t cells[kCellCount] = {};
    for (size_t i = 0; i < moves.size(); ++i) {
        cells[cellIndex(moves[i].first, moves[i].second)] = i % 2 == 0 ? kBlack : kWhite;
    }
    Opponent hard(Level::Hard, kBlack, nullptr);
    for (auto _ : state) {
        benchmark::DoNotOptimize(hard.chooseMove(cells));
    }
}
BENCHMARK(BM_HardMove)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    int count = 50;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--openings") == 0 && i + 1 < argc) {
            count = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: koralith-bench-levels [--openings N] [benchmark flags]\n");
            return 2;
        }
    }
    const auto set = openings(count);
    tournament(Level::Hard, Level::Normal, set);
    tournament(Level::Normal, Level::Easy, set);
    for (Level level : {Level::Easy, Level::Normal, Level::Hard}) {
        const std::vector<double>& t = times[static_cast<int>(level)];
        char text[96];
        std::snprintf(text, sizeof text, "p50 %.3f ms, p99 %.3f ms (%zu moves)", percentile(t, 0.5),
                      percentile(t, 0.99), t.size());
        std::printf("%s move: %s\n", levelName(level), text);
        benchmark::AddCustomContext(std::string(levelName(level)) + " move", text);
    }
    std::fflush(stdout);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
