#pragma once
// The whole client against a real game server, as a player meets it: the game's own start-up
// (AppDelegate) on a headless view, a GBDirector whose network thread talks to a koralith-server
// process on an ephemeral port of 127.0.0.1 with a temporary database, the real scenes driven by
// touches and typing through the engine harness, and protocol bots (the server tests' client) as
// the other players. Every wait runs frames until something holds, bounded in frames and in
// seconds; the director's 0.1 s dispatch step comes from those frames.

#include "../engine/TestSupport.h"
#include "../server/ServerProcess.h"
#include "../server/TestClient.h"
#include "AppDelegate.h"
#include "EventCodes.h"
#include "GBDirector.h"
#include "harness/EngineHarness.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class GBMatchScene;
class GBNetGame;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KORALITH_E2E_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KORALITH_E2E_SANITIZED 1
#endif
#endif
#ifdef KORALITH_E2E_SANITIZED
constexpr int kSlowdown = 5;
#else
constexpr int kSlowdown = 1;
#endif

class E2ETest : public ::testing::Test {
protected:
    // The move time is long enough that no clock runs out unless a test waits for it.
    virtual std::vector<std::string> serverOptions() const { return {"--move-seconds", "30"}; }
    void SetUp() override;
    void TearDown() override;

    // Runs frames, each followed by a 1 ms pause for the network thread and the server, until
    // `done` holds; false after `frames` frames or `seconds` (longer under the sanitizers).
    bool until(const std::function<bool()>& done, int frames = 3000, double seconds = 5);

    // The running scene's layer when it is an L and no slide is running; else null.
    template <typename L>
    L* current() const {
        cocos2d::Scene* scene = h->director()->getRunningScene();
        if (!scene || dynamic_cast<cocos2d::TransitionScene*>(scene) ||
            scene->getChildren().empty()) {
            return nullptr;
        }
        return dynamic_cast<L*>(scene->getChildren().front());
    }
    template <typename L>
    L* reach() {
        L* layer = nullptr;
        until([&] { return (layer = current<L>()) != nullptr; });
        return layer;
    }

    // Runs frames until the answers to all the client has sent so far have been dispatched: the
    // server answers a connection in order, so a notice request sent now is answered last. Not
    // while the menu, which listens for notices, is up.
    bool settle();
    // Runs frames until the bot gets a push of `code`: that push, or nothing.
    std::optional<Message> botHears(TestClient& bot, int32_t code);

    // The shown button with this picture, or null; a tap on it, false when there is none.
    cocos2d::ui::Button* button(const std::string& image) const;
    bool tap(const std::string& image);
    // The input fields of the running scene, top first.
    std::vector<cocos2d::ui::TextField*> fields() const;
    // Replaces a field's text as a player does: a tap for the focus, backspaces, typing.
    void fill(cocos2d::ui::TextField* field, const std::string& text);
    // The red message line of a form or of the match scene.
    std::string message() const;
    // A text of the table, which must not be empty: an empty one would match an empty line.
    std::string text(const char* key) const;

    // A new account `name` with the password name + "-secret", made by a bot that then leaves.
    void makeAccount(const std::string& name);
    // A bot logged in under a new account; its id in `id`.
    std::unique_ptr<TestClient> newBot(const std::string& name, int32_t& id);
    // From the menu to the login scene.
    bool openLogin();
    // Fills in the login scene and presses its button; the match scene once it is up.
    GBMatchScene* logIn(const std::string& name, const std::string& password);
    // makeAccount and logIn.
    GBMatchScene* enter(const std::string& name);
    // The client joins from the match scene, `bot` joins, and the game scene is up.
    GBNetGame* match(TestClient& bot);
    // match until the client plays `colour` (the server draws colours at random); the bot
    // leaves the games of the other colour at once.
    GBNetGame* matchAs(int32_t colour, TestClient& bot);

    // The board: a touch on an intersection, and the stone the client shows there.
    void touchPoint(GBNetGame* game, int x, int y);
    static int32_t stoneAt(GBNetGame* game, int x, int y);
    // A move of the client by touch, seen by the bot; a move of the bot, seen by the client.
    bool clientMoves(GBNetGame* game, TestClient& bot, int x, int y);
    bool botMoves(GBNetGame* game, TestClient& bot, int x, int y);
    // The bot's next move push is (x, y), and the client shows its own stone there.
    bool clientMoveSeen(GBNetGame* game, TestClient& bot, int x, int y);
    // The game's texts: the move clock, the score lines (own at the bottom, the opponent's at
    // the top), and the result picture's name ("" while there is none).
    cocos2d::ui::Text* clock() const;
    std::string myLine() const;
    std::string oppLine() const;
    std::string resultPicture() const;

    TempDir dir;
    ServerProcess server;
    std::unique_ptr<GBDirector> director;
    std::unique_ptr<EngineHarness> h;
    std::unique_ptr<AppDelegate> app;
    int32_t clientId = -1; // set by enter
};
