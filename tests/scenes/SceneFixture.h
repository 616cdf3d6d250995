#pragma once
// The scenes as a player meets them, headless: the real scene classes on the engine harness
// (400 x 708 frame, the 576 x 1019.52 design size start-up sets, frames of 1/60 s), the game's
// real pictures, the settings store in a temporary folder, and a real GBDirector whose dispatch
// step the frames drive every 0.1 s. The director is not started: what the scenes send stays
// queued, and answers are fed in as the network thread would hand them over.

#include "../engine/TestSupport.h"
#include "CLDataBuffer.h"
#include "GBDirector.h"
#include "harness/EngineHarness.h"

#include <gtest/gtest.h>

class SceneFixture : public ::testing::Test {
protected:
    SceneFixture();
    ~SceneFixture() override;

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
        if (!scene || scene->getChildren().empty()) {
            return nullptr;
        }
        return dynamic_cast<L*>(scene->getChildren().front());
    }
    // An answer to request (seq, code), or a push, as it comes off the network; delivered at
    // the next dispatch step (run the frames of 0.1 s to see it).
    void answer(uint32_t seq, int32_t code, const CLDataBuffer* fields);
    void push(int32_t code, const CLDataBuffer* fields) { answer(0, code, fields); }

    // The text of a key, which must exist for a test about it to mean anything.
    std::string text(const char* key) {
        const std::string t = director.getText(key);
        EXPECT_FALSE(t.empty()) << key;
        return t;
    }
    // Types into the field under the design point (a touch gives it the focus).
    void typeInto(cocos2d::Node* field, const std::string& text) {
        h.tap(field);
        h.type(text);
    }
    // The scene's red message line (its only red text).
    cocos2d::ui::Text* messageLine() {
        return h.find<cocos2d::ui::Text>(
            [](cocos2d::ui::Text* t) { return t->getColor() == cocos2d::Color3B::RED; });
    }
    std::string message() {
        cocos2d::ui::Text* line = messageLine();
        return line ? line->getString() : "<none>";
    }
    // The answer of a pending request, as the network thread hands it over, and the next step.
    void answerNow(uint32_t seq, int32_t code, const CLDataBuffer& fields) {
        answer(seq, code, &fields);
        h.advance(0.1f);
    }
    // A request that failed on the network: the whole packet comes back, as the module does.
    void failNow(uint32_t seq, int32_t code);

    TempDir dir;
    GBDirector director;
    EngineHarness h;
};

// A field list written out: ints(1, 2), then strings with addString.
CLDataBuffer ints(std::initializer_list<int32_t> values);
