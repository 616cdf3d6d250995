// The single-player scene as drawn in the game, headless at the window's size with the game's
// own pictures:
//   FullBoardFrame   a frame of a board holding 225 stones, drawn because something changed
//   FullBoardFloor   the same frame drawn by SDL alone: no engine, every picture scaled to its
//                    on-screen size beforehand, opaque ones copied and the others blended, as
//                    fast as SDL 2's blitters draw it. The summary prints the frame against it.
// The real executable's start, idle CPU and memory are measured by game-figures.sh beside this.

#include "DanJiGame.h"
#include "Design.h"
#include "GBDirector.h"
#include "harness/EngineHarness.h"
#include "renderer/Renderer.h"

#include <SDL.h>
#include <SDL_image.h>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>

USING_NS_CC;

namespace {

const Size kWindow(400, 708);
const Size kDesign(576, 1019.52f);

int stoneColour(int x, int y) {
    return (x / 2 + y) % 2 == 0 ? kBlack : kWhite;
}

void FullBoardFrame(benchmark::State& state) {
    const std::string scratch = std::filesystem::temp_directory_path() / "koralith-bench-game";
    std::filesystem::create_directories(scratch);
    UserDefault::setStorageDirectory(scratch);
    GBDirector director("127.0.0.1", 9, (scratch + "/netlog").c_str());
    EngineHarness h(kWindow);
    h.view()->setDesignResolutionSize(kDesign.width, kDesign.height, ResolutionPolicy::SHOW_ALL);
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
            game->putChess(x, y, stoneColour(x, y));
        }
    }
    SDL_Renderer* sdl = h.view()->getRenderer().getSDLRenderer();
    const unsigned long before = h.director()->getDrawnFrames();
    for (auto _ : state) {
        Director::markDirty();
        h.frame();
        SDL_RenderFlush(sdl); // every pixel of the frame is in the surface
    }
    if (h.director()->getDrawnFrames() - before != static_cast<unsigned long>(state.iterations())) {
        state.SkipWithError("a changed frame was not drawn");
    }
    state.counters["stones"] = static_cast<double>(game->getStones().size());
    std::filesystem::remove_all(scratch);
}
// Repeated, and shown by the median: other work on a small machine makes single runs vary.
BENCHMARK(FullBoardFrame)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

// A picture of res/ at `scale` of its size, in the surface's format; null if it is missing.
SDL_Surface* scaledPicture(const char* name, float scale, bool blended) {
    const std::string path = std::string(KORALITH_RES_DIR) + "/images/" + name;
    SDL_Surface* loaded = IMG_Load(path.c_str());
    SDL_Surface* argb =
        loaded ? SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0) : nullptr;
    SDL_FreeSurface(loaded);
    if (!argb) {
        return nullptr;
    }
    SDL_Surface* scaled = SDL_CreateRGBSurfaceWithFormat(0, static_cast<int>(argb->w * scale),
                                                         static_cast<int>(argb->h * scale), 32,
                                                         SDL_PIXELFORMAT_ARGB8888);
    SDL_SoftStretchLinear(argb, nullptr, scaled, nullptr);
    SDL_FreeSurface(argb);
    SDL_SetSurfaceBlendMode(scaled, blended ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
    return scaled;
}

void FullBoardFloor(benchmark::State& state) {
    const float scale = kWindow.width / kDesign.width;
    SDL_Surface* board = scaledPicture("chessback.png", scale, false);
    SDL_Surface* stones[] = {scaledPicture("black.png", scale, true),
                             scaledPicture("white.png", scale, true)};
    SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormat(0, static_cast<int>(kWindow.width),
                                                        static_cast<int>(kWindow.height), 32,
                                                        SDL_PIXELFORMAT_ARGB8888);
    if (!board || !stones[0] || !stones[1] || !frame) {
        state.SkipWithError("the game's pictures are missing");
        return;
    }
    // Where the scene puts them: the board in the middle, each stone centred on its point.
    auto at = [&](const SDL_Surface* s, Vec2 design) {
        return SDL_Rect{static_cast<int>(design.x * scale - s->w / 2.0f),
                        static_cast<int>(kWindow.height - design.y * scale - s->h / 2.0f), s->w,
                        s->h};
    };
    const Vec2 boardCentre(kDesign.width / 2, kDesign.height / 2);
    const Vec2 boardCorner = boardCentre - Vec2(511, 517) / 2;
    const Uint32 background = SDL_MapRGB(frame->format, scenes::kBackground.r,
                                         scenes::kBackground.g, scenes::kBackground.b);
    for (auto _ : state) {
        SDL_FillRect(frame, nullptr, background);
        SDL_Rect r = at(board, boardCentre);
        SDL_BlitSurface(board, nullptr, frame, &r);
        for (int x = 0; x < kBoardSize; ++x) {
            for (int y = 0; y < kBoardSize; ++y) {
                SDL_Surface* stone = stones[stoneColour(x, y) - 1];
                r = at(stone, boardCorner + GoBangGame::pointPosition(x, y));
                SDL_BlitSurface(stone, nullptr, frame, &r);
            }
        }
        benchmark::DoNotOptimize(frame->pixels);
    }
    for (SDL_Surface* s : {board, stones[0], stones[1], frame}) {
        SDL_FreeSurface(s);
    }
}
BENCHMARK(FullBoardFloor)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

} // namespace

BENCHMARK_MAIN();
