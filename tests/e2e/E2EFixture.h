#pragma once
// The whole client against a real game server, as a player meets it: the game's own start-up on
// a headless view, a GBDirector whose network thread talks to a koralith-server on an ephemeral
// port of 127.0.0.1 with a temporary database, the real scenes driven by touches and typing, and
// protocol bots (the server tests' client) as the other players. Every wait runs frames, which
// also drive the director's dispatch, until something holds, bounded in frames and in seconds.

#include "AppDelegate.h"
#include "EventCodes.h"
#include "GBDirector.h"
#include "GBLoginScene.h"
#include "GBMatchScene.h"
#include "ServerProcess.h"
#include "TestClient.h"
#include "harness/EngineHarness.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class E2ETest : public ::testing::Test {
protected:
    // Long enough that no move clock runs out unless a test waits for it.
    virtual std::vector<std::string> serverOptions() const { return {"--move-seconds", "30"}; }
    void SetUp() override;
    void TearDown() override;

    // Runs frames, each followed by a 1 ms pause, until `done` holds; false after `frames` frames
    // or `seconds` (scaled for the sanitizers).
    bool until(const std::function<bool()>& done, int frames = 3000, double seconds = 5);
    // The running scene's layer once it is an L and no slide runs; null when it does not come.
    template <typename L>
    L* reach() {
        L* layer = nullptr;
        until([&] {
            cocos2d::Scene* scene = h->director()->getRunningScene();
            if (scene && !dynamic_cast<cocos2d::TransitionScene*>(scene) &&
                !scene->getChildren().empty()) {
                layer = dynamic_cast<L*>(scene->getChildren().front());
            }
            return layer != nullptr;
        });
        return layer;
    }
    // Runs frames until the answers to all the client has sent so far have been dispatched: the
    // server answers a connection in order, so a notice request sent now is answered last. Not
    // while the menu, which listens for notices, is up.
    bool settle();
    // The bot's next push of `code`, or nothing.
    std::optional<Message> botHears(TestClient& bot, int32_t code) {
        std::optional<Message> heard;
        until(
            [&] { return (heard = bot.waitPush(code, std::chrono::milliseconds(1))).has_value(); });
        return heard;
    }

    // The shown button with this picture (a result picture too), or null; a tap on it, false
    // when there is none.
    cocos2d::ui::Button* button(const std::string& image) const {
        return h->find<cocos2d::ui::Button>([&](cocos2d::ui::Button* b) {
            return b->getNormalFile() == image && EngineHarness::isShown(b);
        });
    }
    bool tap(const std::string& image) {
        cocos2d::ui::Button* b = button(image);
        if (b) {
            h->tap(b);
        }
        return b != nullptr;
    }
    // The input fields of the running scene, top first.
    std::vector<cocos2d::ui::TextField*> fields() const;
    // Types `typed` into the form's fields as a player does, replacing their text, and presses
    // the button; false when the form has another number of fields.
    bool submit(const std::vector<std::string>& typed, const std::string& image);
    // The red message line of a form or of the match scene.
    std::string message() const;
    // A text of the table, which must not be empty: an empty one would match an empty line.
    std::string text(const char* key) const;

    // A new account `name` with the password name + "-secret", made by a bot that then leaves.
    void makeAccount(const std::string& name);
    bool openLogin() { return tap("images/netgame.png") && reach<GBLoginScene>() != nullptr; }
    // makeAccount, then logs in through the login scene; the match scene once it is up.
    GBMatchScene* enter(const std::string& name);

    TempDir dir;
    ServerProcess server;
    std::unique_ptr<GBDirector> director;
    std::unique_ptr<EngineHarness> h;
    std::unique_ptr<AppDelegate> app;
    int32_t clientId = -1; // set by enter
};
