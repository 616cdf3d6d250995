// koralith-screenshots DIR: the pictures of docs/screenshots, drawn headless by the real scenes
// at the window's size. Answers from the server are fed to the director as the network thread
// would hand them over, so no server is needed. tools/screenshots.sh runs it.

#include "DanJiGame.h"
#include "EventCodes.h"
#include "GBDirector.h"
#include "HelloWorld.h"
#include "Packet.h"
#include "harness/EngineHarness.h"

#include <cstdio>
#include <filesystem>
#include <string>

USING_NS_CC;

namespace {

void feed(GBDirector& director, uint32_t seq, int32_t code, const CLDataBuffer& fields) {
    const std::vector<uint8_t> packet = buildResponsePacket(code, seq, &fields);
    director.onNetworkEvent(CLNetworkModule::PACKET_RECEIVED, packet.data() + kLengthFieldSize,
                            static_cast<uint32_t>(packet.size() - kLengthFieldSize));
}

template <typename L>
L* show(EngineHarness& h, L* layer) {
    auto* scene = Scene::create();
    scene->addChild(layer);
    h.director()->replaceScene(scene);
    h.frame();
    return layer;
}

bool save(EngineHarness& h, const std::string& dir, const char* name) {
    const std::string path = dir + "/" + name;
    const bool saved = h.saveFrame(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", path.c_str());
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: koralith-screenshots DIR\n");
        return 2;
    }
    const std::string out = argv[1];
    const std::string scratch = std::filesystem::temp_directory_path() / "koralith-screenshots";
    std::filesystem::create_directories(scratch);
    std::filesystem::create_directories(out);
    UserDefault::setStorageDirectory(scratch);
    UserDefault::getInstance()->setIntegerForKey("score", 50);

    GBDirector director("127.0.0.1", 9, (scratch + "/netlog").c_str());
    EngineHarness h(Size(400, 708));
    h.view()->setDesignResolutionSize(576, 1019.52f, ResolutionPolicy::SHOW_ALL);
    FileUtils::getInstance()->setSearchPaths({KORALITH_RES_DIR});
    director.loadTexts();
    RandomHelper::getEngine().seed(3);
    bool ok = true;

    show(h, HelloWorld::create());
    CLDataBuffer notice;
    notice.addInt(1);
    notice.addString("Welcome to Koralith. Five in a row wins!");
    notice.addString("2026-12-06 20:00");
    feed(director, 0, EVENT_GETNOTICE, notice);
    director.dispatchEvents(0.1f);
    ok &= save(h, out, "menu.png");

    DanJiGame* game = show(h, DanJiGame::create(0));
    const Vec2 board = game->getBoardSprite()->getPosition() -
                       game->getBoardSprite()->getContentSize() / 2;
    const int moves[][2] = {{7, 7}, {8, 6}, {6, 8}, {8, 8}, {6, 6}, {9, 9}};
    for (const auto& m : moves) {
        if (game->isPlaying()) {
            h.touch(board + GoBangGame::pointPosition(m[0], m[1]));
        }
    }
    h.frame();
    ok &= save(h, out, "single-player.png");

    // A finished game: five for the user, and the result picture once it has slid up.
    for (int y = 0; y < 4; ++y) {
        game->putChess(1, 10 + y, game->getUserColour());
    }
    if (game->isPlaying()) {
        h.touch(board + GoBangGame::pointPosition(1, 14));
    }
    h.advance(1.1f);
    ok &= save(h, out, "single-player-won.png");
    return ok ? 0 : 1;
}
