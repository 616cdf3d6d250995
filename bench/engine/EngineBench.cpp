// Headless cost of the board scene: a 400 x 708 frame at the game's design resolution, the
// board picture, 225 stone sprites on it and a few texts.
//   DrawFrame    a frame in which something changed: the whole scene is drawn
//   IdleFrame    a frame in which nothing changed: callbacks tick, nothing is drawn
//   MainLoop/*   the real main loop on the board scene: idle (0), it sleeps until the next
//                callback is due (the 0.1 s dispatch step); redrawn on every frame (1), it runs
//                60 frames a second; cpu_share_% is the share of one core it takes over one
//                second of steady running (start-up excluded)

#include "harness/EngineHarness.h"

#include <SDL.h>
#include <SDL_image.h>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

USING_NS_CC;

namespace {

std::string picture(const std::string& folder, const char* name, int w, int h, Uint8 shade) {
    const std::string path = folder + "/" + name;
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_FillRect(s, nullptr, SDL_MapRGBA(s->format, shade, shade, shade, 255));
    IMG_SavePNG(s, path.c_str());
    SDL_FreeSurface(s);
    return path;
}

struct Pictures {
    std::string folder;
    std::string board;
    std::string black;
    std::string white;
    Pictures() {
        char pattern[] = "/tmp/koralith-bench-XXXXXX";
        folder = mkdtemp(pattern) ? pattern : "/tmp";
        board = picture(folder, "board.png", 512, 512, 200);
        black = picture(folder, "black.png", 30, 30, 20);
        white = picture(folder, "white.png", 30, 30, 235);
    }
    ~Pictures() {
        for (const std::string* p : {&board, &black, &white}) {
            ::unlink(p->c_str());
        }
        ::rmdir(folder.c_str());
    }
};

const Pictures& pictures() {
    static Pictures p;
    return p;
}

const Size kFrame(400, 708);
const Size kDesign(576, 576 * 708.0f / 400);

// The board scene; returns the stone that a changing frame moves.
Scene* boardScene(Sprite** moving) {
    auto* scene = Scene::create();
    auto* layer = LayerColor::create(Color4B(139, 115, 85, 255));
    scene->addChild(layer);
    auto* board = Sprite::create(pictures().board);
    board->setPosition(kDesign.width / 2, kDesign.height / 2);
    layer->addChild(board);
    for (int x = 0; x < 15; ++x) {
        for (int y = 0; y < 15; ++y) {
            auto* stone = Sprite::create((x + y) % 2 ? pictures().black : pictures().white);
            stone->setPosition(12 + 34.8f * x, 15 + 34.8f * y);
            board->addChild(stone, 1);
            *moving = stone;
        }
    }
    const char* texts[] = {"Score : 48", "Player: 1500 score 3win 1lose 0tied", "60"};
    float y = 60;
    for (const char* t : texts) {
        auto* text = ui::Text::create(t, "Arial", 24);
        text->setPosition(Vec2(kDesign.width / 2, y));
        layer->addChild(text);
        y += 40;
    }
    // The network director's dispatch step runs all the time.
    scene->schedule([](float) {}, 0.1f, CC_REPEAT_FOREVER, 0.1f, "fff");
    return scene;
}

void DrawFrame(benchmark::State& state) {
    EngineHarness h(kFrame, kDesign);
    Sprite* moving = nullptr;
    h.runScene(boardScene(&moving));
    const unsigned long before = h.director()->getDrawnFrames();
    float dx = 1;
    for (auto _ : state) {
        moving->setPosition(moving->getPosition() + Vec2(dx, 0));
        dx = -dx;
        h.frame();
    }
    if (h.director()->getDrawnFrames() - before != static_cast<unsigned long>(state.iterations())) {
        state.SkipWithError("a changed frame was not drawn");
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(DrawFrame)->Unit(benchmark::kMicrosecond);

void IdleFrame(benchmark::State& state) {
    EngineHarness h(kFrame, kDesign);
    Sprite* moving = nullptr;
    h.runScene(boardScene(&moving));
    const unsigned long before = h.director()->getDrawnFrames();
    for (auto _ : state) {
        h.frame();
    }
    if (h.director()->getDrawnFrames() != before) {
        state.SkipWithError("an idle frame was drawn");
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(IdleFrame)->Unit(benchmark::kMicrosecond);

// One second of Application::run on the idle board scene, headless.
class LoopApp : public Application {
public:
    explicit LoopApp(bool redrawAlways) : redrawAlways_(redrawAlways) {}
    bool applicationDidFinishLaunching() override {
        Director* director = Director::getInstance();
        GLView* view = GLView::createHeadless(kFrame);
        director->setOpenGLView(view);
        view->setDesignResolutionSize(kDesign.width, kDesign.height, ResolutionPolicy::SHOW_ALL);
        director->setAnimationInterval(1.0f / 60);
        Sprite* moving = nullptr;
        Scene* scene = boardScene(&moving);
        if (redrawAlways_) {
            scene->schedule([](float) { Director::markDirty(); }, 0, CC_REPEAT_FOREVER, 0, "all");
        }
        scene->schedule([this](float) { startCpu_ = cpuSeconds(); }, 0, 0, 0.25f, "start");
        scene->schedule(
            [this](float) {
                share = (cpuSeconds() - startCpu_) / 1.0;
                Director::getInstance()->end();
            },
            0, 0, 1.25f, "end");
        director->runWithScene(scene);
        return true;
    }
    void applicationDidEnterBackground() override {}
    void applicationWillEnterForeground() override {}

    double share = 0;

private:
    static double cpuSeconds() {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    bool redrawAlways_;
    double startCpu_ = 0;
};

void MainLoop(benchmark::State& state) {
    double share = 0;
    for (auto _ : state) {
        LoopApp app(state.range(0) != 0);
        Application::getInstance()->run();
        share = app.share;
    }
    state.counters["cpu_share_%"] = share * 100;
}
BENCHMARK(MainLoop)->Arg(0)->Arg(1)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
