// The single-player scene as drawn in the game, headless at the window's size with the game's
// own pictures:
//   FullBoardFrame   a frame of a board holding 225 stones, drawn because something changed
// The real executable's start, idle CPU and memory are measured by game-figures.sh beside this.

#include "DanJiGame.h"
#include "GBDirector.h"
#include "harness/EngineHarness.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>

USING_NS_CC;

namespace {

void FullBoardFrame(benchmark::State& state) {
    const std::string scratch = std::filesystem::temp_directory_path() / "koralith-bench-game";
    std::filesystem::create_directories(scratch);
    UserDefault::setStorageDirectory(scratch);
    GBDirector director("127.0.0.1", 9, (scratch + "/netlog").c_str());
    EngineHarness h(Size(400, 708));
    h.view()->setDesignResolutionSize(576, 1019.52f, ResolutionPolicy::SHOW_ALL);
    FileUtils::getInstance()->setSearchPaths({KORALITH_RES_DIR});
    auto* game = DanJiGame::create(0);
    if (!game) {
        state.SkipWithError("the game's pictures are missing");
        return;
    }
    auto* scene = Scene::create();
    scene->addChild(game);
    h.runScene(scene);
    game->clearBoard();
    for (int x = 0; x < kBoardSize; ++x) {
        for (int y = 0; y < kBoardSize; ++y) {
            game->putChess(x, y, (x / 2 + y) % 2 == 0 ? kBlack : kWhite);
        }
    }
    const unsigned long before = h.director()->getDrawnFrames();
    for (auto _ : state) {
        Director::markDirty();
        h.frame();
    }
    if (h.director()->getDrawnFrames() - before != static_cast<unsigned long>(state.iterations())) {
        state.SkipWithError("a changed frame was not drawn");
    }
    state.counters["stones"] = static_cast<double>(game->getStones().size());
    std::filesystem::remove_all(scratch);
}
BENCHMARK(FullBoardFrame)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
