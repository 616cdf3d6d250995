#pragma once
// The real scenes headless on the engine harness (400 x 708 frame, the 576 x 1019.52 design
// size, frames of 1/60 s), with the game's pictures, the settings in a temporary folder, and a
// GBDirector that is never started: the frames drive its 0.1 s dispatch step, what the scenes
// send stays queued, and answers are fed in as the network thread would hand them over.

#include "DirectorFeed.h"
#include "GoBangGame.h"
#include "Screen.h"
#include "Support.h"

#include <gtest/gtest.h>

class SceneFixture : public ::testing::Test {
protected:
    // The director is never started, so it never connects to its unused port 9.
    SceneFixture()
        : director("127.0.0.1", 9, dir.file("netlog").c_str()), h({400, 708}, {576, 1019.52f}) {
        cocos2d::UserDefault::setStorageDirectory(dir.path());
        cocos2d::FileUtils::getInstance()->setSearchPaths({KORALITH_RES_DIR});
        director.loadTexts();
        cocos2d::RandomHelper::getEngine().seed(1);
        h.director()->getScheduler()->schedule(CC_CALLBACK_1(GBDirector::dispatchEvents, &director),
                                               &director, 0.1f, CC_REPEAT_FOREVER, 0.1f, false,
                                               "fff");
    }
    ~SceneFixture() override { cocos2d::FileUtils::getInstance()->setSearchPaths({""}); }

    // Runs `layer` in a new scene, in place of any running one and without a slide.
    template <typename L>
    L* show(L* layer) {
        auto* scene = cocos2d::Scene::create();
        scene->addChild(layer);
        h.director()->replaceScene(scene);
        h.frame();
        return layer;
    }
    // The running scene's layer of type L once any slide has ended; null when it is another.
    template <typename L>
    L* running() {
        h.advance(0.6f);
        cocos2d::Scene* scene = h.director()->getRunningScene();
        return scene && !scene->getChildren().empty()
                   ? dynamic_cast<L*>(scene->getChildren().front())
                   : nullptr;
    }
    // An answer to request (seq, code), or a push, as it comes off the network; delivered at
    // the next dispatch step (run the frames of 0.1 s to see it).
    void answer(uint32_t seq, int32_t code, const CLDataBuffer& fields) {
        arrive(director, code, seq, fields);
    }
    void push(int32_t code, const CLDataBuffer& fields) { answer(0, code, fields); }
    // An answer, and the frames of the next dispatch step.
    void answerNow(uint32_t seq, int32_t code, const CLDataBuffer& fields) {
        answer(seq, code, fields);
        h.advance(0.1f);
    }

    // The text of a key, which must exist for a test about it to mean anything.
    std::string text(const char* key) {
        const std::string t = director.getText(key);
        EXPECT_FALSE(t.empty()) << key;
        return t;
    }
    cocos2d::ui::Button* button(const std::string& image) const { return screen::button(h, image); }
    std::string message() const { return screen::message(h); }
    // On `board`: the design point of an intersection, and the stone there.
    cocos2d::Vec2 at(int x, int y) const {
        return board->getBoardSprite()->convertToWorldSpace(GoBangGame::pointPosition(x, y));
    }
    int32_t cell(int x, int y) const { return board->getBoard()[cellIndex(x, y)]; }

    TempDir dir;
    GBDirector director;
    EngineHarness h;
    GoBangGame* board = nullptr; // the game a test plays, for at and cell
};
