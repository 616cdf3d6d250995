// The computer's move choice at depth 0, 1 and 2 on three fixed positions. Before timing it
// prints the move chosen for each case and checksums over them: a change that claims to leave
// every choice alone must print the same checksums.
#include "AIPlayer.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Position {
    const char* name;
    std::vector<std::pair<int, int>> moves; // black first, alternating
};

const Position kPositions[] = {
    {"empty", {}},
    {"opening", {{7, 7}, {8, 8}, {6, 8}, {8, 6}, {9, 7}, {5, 9}}},
    {"midgame",
     {{7, 7}, {8, 8}, {6, 8},  {8, 6},  {9, 7}, {5, 9}, {8, 7},  {10, 7}, {6, 7}, {5, 7},
      {5, 6}, {7, 8}, {6, 6},  {6, 9},  {7, 9}, {6, 5}, {3, 6},  {4, 6},  {5, 8}, {7, 6},
      {9, 6}, {9, 8}, {10, 8}, {7, 10}, {8, 9}, {9, 9}, {5, 10}, {4, 9},  {3, 9}, {3, 7}}},
};

struct Setup {
    int32_t cells[kCellCount] = {};
    int32_t toMove = kBlack;
};

Setup setUp(const Position& p) {
    Setup s;
    for (size_t i = 0; i < p.moves.size(); ++i) {
        const auto [x, y] = p.moves[i];
        const int32_t colour = i % 2 == 0 ? kBlack : kWhite;
        if (s.cells[cellIndex(x, y)] != kEmpty || checkFive(s.cells, x, y, colour)) {
            std::fprintf(stderr, "position %s is not a running game at move %zu\n", p.name, i);
            std::exit(1);
        }
        s.cells[cellIndex(x, y)] = colour;
    }
    s.toMove = p.moves.size() % 2 == 0 ? kBlack : kWhite;
    return s;
}

Point choose(const Setup& s, int depth) {
    AIPlayer ai(s.toMove, depth, nullptr);
    ai.loadBoard(s.cells);
    return ai.chooseMove();
}

void BM_ChooseMove(benchmark::State& state) {
    const Setup s = setUp(kPositions[state.range(0)]);
    const int depth = static_cast<int>(state.range(1));
    AIPlayer ai(s.toMove, depth, nullptr);
    for (auto _ : state) {
        ai.loadBoard(s.cells);
        benchmark::DoNotOptimize(ai.chooseMove());
    }
    state.SetLabel(kPositions[state.range(0)].name);
}
BENCHMARK(BM_ChooseMove)
    ->ArgNames({"position", "depth"})
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ChooseMove)
    ->ArgNames({"position", "depth"})
    ->ArgsProduct({{0, 1, 2}, {2}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

// FNV-1a over (position, depth, x, y) of every choice, and the same over each depth's choices
// alone, so that a change to one depth's search shows in that depth's checksum. They also go
// into the JSON output's context, where the figures summary reads them.
void printChecksums() {
    constexpr uint32_t kBasis = 2166136261u;
    uint32_t all = kBasis;
    uint32_t perDepth[3] = {kBasis, kBasis, kBasis};
    for (int p = 0; p < 3; ++p) {
        const Setup s = setUp(kPositions[p]);
        for (int depth = 0; depth <= 2; ++depth) {
            const Point m = choose(s, depth);
            std::printf("move %-8s depth %d: %d,%d\n", kPositions[p].name, depth, m.x, m.y);
            for (int v : {p, depth, m.x, m.y}) {
                all = (all ^ static_cast<uint32_t>(v)) * 16777619u;
                perDepth[depth] = (perDepth[depth] ^ static_cast<uint32_t>(v)) * 16777619u;
            }
        }
    }
    char text[16];
    for (int depth = 0; depth <= 2; ++depth) {
        std::snprintf(text, sizeof text, "%08x", perDepth[depth]);
        std::printf("move checksum, depth %d: %s\n", depth, text);
        benchmark::AddCustomContext("move checksum depth " + std::to_string(depth), text);
    }
    std::snprintf(text, sizeof text, "%08x", all);
    std::printf("move checksum: %s\n", text);
    benchmark::AddCustomContext("move checksum", text);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    printChecksums();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
