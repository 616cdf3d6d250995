#pragma once
// The whole client as a player meets it: the game's own start-up on a headless view, a
// GBDirector whose network thread talks to a real koralith-server (a temporary database, an
// ephemeral port of 127.0.0.1), the real scenes driven by touches and typing, and protocol bots
// (the server tests' client) as the other players. Every wait runs frames, which also drive the
// director's dispatch, until something holds, for a bounded time.

#include "AppDelegate.h"
#include "EventCodes.h"
#include "GBDirector.h"
#include "GBLoginScene.h"
#include "GBMatchScene.h"
#include "HelloWorld.h"
#include "Screen.h"
#include "ServerProcess.h"
#include "TestClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <vector>

class E2ETest : public ::testing::Test {
protected:
    // Long enough that no move clock runs out within a test.
    std::vector<std::string> serverOptions() const { return {"--move-seconds", "30"}; }
    // The game started as a player starts it against the server; the menu is up.
    void SetUp() override {
        ASSERT_TRUE(server.start(serverOptions())) << server.log();
        cocos2d::UserDefault::setStorageDirectory(dir.path());
        director =
            std::make_unique<GBDirector>("127.0.0.1", server.port(), dir.file("netlog").c_str());
        h = std::make_unique<EngineHarness>(cocos2d::Size(400, 708));
        app = std::make_unique<AppDelegate>();
        ASSERT_TRUE(app->applicationDidFinishLaunching());
        ASSERT_NE(reach<HelloWorld>(), nullptr);
    }
    void TearDown() override {
        app.reset(); // stops the network thread
        cocos2d::FileUtils::getInstance()->setSearchPaths({""});
        h.reset();
        director.reset();
        if (server.running()) { // a clean exit also tells that the sanitizers found nothing
            const int status = server.stop();
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << server.log();
        }
    }

    // Runs frames 1 ms apart until `done` holds; false after 5 s (scaled for the sanitizers).
    bool until(const std::function<bool()>& done) {
        return eventually([&] { return done() || (h->frame(), false); }, scaled(5000));
    }
    // Frames for `seconds` of real time (not scaled: what passes is the point).
    void idle(int seconds) {
        eventually([&] { return h->frame(), false; }, 1000 * seconds);
    }
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
    // The bot's next push of `code`, or nothing.
    std::optional<Message> botHears(TestClient& bot, int32_t code) {
        std::optional<Message> heard;
        until(
            [&] { return (heard = bot.waitPush(code, std::chrono::milliseconds(1))).has_value(); });
        return heard;
    }

    // A tap on the shown button with this picture (a result picture too); false without one.
    bool tap(const std::string& image) {
        cocos2d::ui::Button* b = screen::button(*h, image, true);
        if (b) {
            h->tap(b);
        }
        return b != nullptr;
    }
    std::vector<cocos2d::ui::TextField*> fields() const {
        return screen::all<cocos2d::ui::TextField>(*h);
    }
    // Types `typed` into the form's fields as a player does, replacing their text, and presses
    // the button; false when the form has another number of fields.
    bool submit(const std::vector<std::string>& typed, const std::string& image) {
        const std::vector<cocos2d::ui::TextField*> form = fields();
        for (size_t i = 0; i < form.size() && form.size() == typed.size(); ++i) {
            h->tap(form[i]);
            for (size_t n = form[i]->getString().size(); n > 0; --n) {
                h->backspace();
            }
            h->type(typed[i]);
            EXPECT_EQ(form[i]->getString(), typed[i]);
        }
        return form.size() == typed.size() && tap(image);
    }
    std::string message() const { return screen::message(*h); }
    // A text of the table, which must not be empty: an empty one would match an empty line.
    std::string text(const char* key) const {
        const std::string t = director->getText(key);
        EXPECT_FALSE(t.empty()) << key;
        return t;
    }

    bool openLogin() { return tap("images/netgame.png") && reach<GBLoginScene>() != nullptr; }

    // The server started again on the port it had and the database it kept.
    bool restartServer(unsigned short port) {
        std::vector<std::string> options = serverOptions();
        options.insert(options.end(), {"--listen", "127.0.0.1:" + std::to_string(port)});
        return server.start(options);
    }

    // A new account `name` with the password name + "-secret", made by a bot that then leaves.
    void makeAccount(const std::string& name) {
        EXPECT_EQ(TestClient(server.port()).registerUser(name, name + "-secret"), 1) << name;
    }
    // makeAccount, then logs in through the login scene; the match scene once it is up.
    GBMatchScene* enter(const std::string& name) {
        makeAccount(name);
        if (!openLogin() || !submit({name, name + "-secret"}, "images/login.png")) {
            return nullptr;
        }
        GBMatchScene* scene = reach<GBMatchScene>();
        clientId = director->userId;
        return scene;
    }

    TempDir dir;
    ServerProcess server;
    std::unique_ptr<GBDirector> director;
    std::unique_ptr<EngineHarness> h;
    std::unique_ptr<AppDelegate> app;
    int32_t clientId = -1; // set by enter
};
