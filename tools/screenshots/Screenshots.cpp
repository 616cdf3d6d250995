// koralith-screenshots DIR: the pictures of docs/screenshots, drawn headless by the real scenes
// at the window's size. Answers from the server are fed to the director as the network thread
// would hand them over, so no server is needed. tools/screenshots.sh runs it.

#include "CLNetworkModule.h"
#include "DanJiGame.h"
#include "EventCodes.h"
#include "GBDirector.h"
#include "GBLoginScene.h"
#include "GBMatchScene.h"
#include "GBNetGame.h"
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

// Each picture's scene replaces the last one at once: the last one's listeners go first, then
// the new layer is made (and registers its own).
template <typename Make>
auto show(EngineHarness& h, Make make) {
    for (const auto& entry : eventNameTable()) {
        GBDirector::getInstance()->removeListeners(entry.second);
    }
    auto* layer = make();
    auto* scene = Scene::create();
    scene->addChild(layer);
    h.director()->replaceScene(scene);
    h.frame();
    return layer;
}

bool button(EngineHarness& h, const char* image) {
    const bool shown =
        h.find<ui::Button>([&](ui::Button* b) { return b->getNormalFile() == image; });
    if (!shown) {
        std::fprintf(stderr, "no %s on the screen\n", image);
    }
    return shown;
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

    show(h, [] { return HelloWorld::create(); });
    CLDataBuffer notice;
    notice.addInt(1);
    notice.addString("Welcome to Koralith. Five in a row wins!");
    notice.addString("2026-12-06 20:00");
    feed(director, 0, EVENT_GETNOTICE, notice);
    director.dispatchEvents(0.1f);
    ok &= save(h, out, "menu.png");

    // A game played to its end by touches, as a player won it as black against the computer (the
    // computer's replies are its own): one picture part way through, one of the won game with
    // its result.
    for (unsigned seed = 1; seed < 64; ++seed) { // a colour draw that gives the player black
        RandomHelper::getEngine().seed(seed);
        if (cocos2d::random() % 2 == 0) {
            RandomHelper::getEngine().seed(seed);
            break;
        }
    }
    DanJiGame* game = show(h, [] { return DanJiGame::create(0); });
    const Vec2 board =
        game->getBoardSprite()->getPosition() - game->getBoardSprite()->getContentSize() / 2;
    const int won[][2] = {{6, 7}, {4, 8}, {7, 5}, {3, 6}, {5, 4}, {5, 9}, {7, 7}, {8, 6},
                          {7, 9}, {6, 9}, {4, 9}, {4, 7}, {4, 5}, {6, 3}, {7, 2}};
    for (size_t i = 0; i < std::size(won) && game->isPlaying(); ++i) {
        h.touch(board + GoBangGame::pointPosition(won[i][0], won[i][1]));
        h.frame();
        if (i == 5) {
            ok &= save(h, out, "single-player.png");
        }
    }
    h.advance(1.1f);
    ok &= button(h, "images/gameover1.png") && save(h, out, "single-player-won.png");

    // The online path: the login form as a returning player finds it, the match room while
    // waiting, and a game in progress with both score lines and the move clock.
    UserDefault::getInstance()->setStringForKey("username", "alice");
    UserDefault::getInstance()->setStringForKey("password", "correct horse");
    show(h, [] { return GBLoginScene::create(); });
    h.frame();
    ok &= save(h, out, "login.png");

    director.userId = 7;
    uint32_t seq = director.nextSequence();
    show(h, [] { return GBMatchScene::create(); });
    h.tap(h.find<ui::Button>(
        [](ui::Button* b) { return b->getNormalFile() == "images/joinmatch.png"; }));
    CLDataBuffer joined;
    joined.addInt(1);
    feed(director, seq, EVENT_JOINMATCH, joined);
    director.dispatchEvents(0.1f);
    h.advance(0.7f); // the waiting picture part way into its blink
    ok &= save(h, out, "match-waiting.png");

    seq = director.nextSequence();
    GBNetGame* net = show(h, [] { return GBNetGame::create(7, 9); });
    const struct {
        int32_t id;
        const char* name;
        int32_t score, won, lost, tied;
    } players[] = {{7, "alice", 1516, 4, 2, 1}, {9, "bob", 1484, 2, 4, 1}};
    for (const auto& p : players) {
        CLDataBuffer info;
        info.addInt(p.id);
        info.addString(p.name);
        for (int32_t v : {p.score, p.won, p.lost, p.tied}) {
            info.addInt(v);
        }
        feed(director, seq++, EVENT_GETUSERINFO, info);
    }
    director.dispatchEvents(0.1f);
    const Vec2 netBoard =
        net->getBoardSprite()->getPosition() - net->getBoardSprite()->getContentSize() / 2;
    const int played[][2] = {{7, 7}, {8, 8}, {6, 8}, {8, 6}, {8, 7}};
    for (size_t i = 0; i < std::size(played); ++i) {
        if (i % 2 == 0) { // ours, as the server accepts it
            h.touch(netBoard + GoBangGame::pointPosition(played[i][0], played[i][1]));
            CLDataBuffer accepted;
            for (int32_t v : {1, 0, 0}) {
                accepted.addInt(v);
            }
            feed(director, seq++, EVENT_CHESS, accepted);
        } else { // theirs, pushed
            CLDataBuffer theirs;
            for (int32_t v : {played[i][0], played[i][1], 0, 0}) {
                theirs.addInt(v);
            }
            feed(director, 0, EVENT_OPPCHESS, theirs);
        }
        director.dispatchEvents(0.1f);
    }
    h.advance(13.0f); // the clock shows 47
    ok &= save(h, out, "online-game.png");
    return ok ? 0 : 1;
}
