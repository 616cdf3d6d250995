#include "E2EFixture.h"

#include "GBLoginScene.h"
#include "GBMatchScene.h"
#include "GBNetGame.h"
#include "HelloWorld.h"

#include <chrono>
#include <sys/wait.h>
#include <thread>

USING_NS_CC;
using namespace std::chrono_literals;

namespace {
// Games of the unwanted colour before matchAs gives up: colours are drawn at random.
constexpr int kMaxMatches = 20;
} // namespace

void E2ETest::SetUp() {
    ASSERT_TRUE(server.start(serverOptions())) << server.log();
    UserDefault::setStorageDirectory(dir.path());
    director = std::make_unique<GBDirector>("127.0.0.1", server.port(), dir.file("netlog").c_str());
    h = std::make_unique<EngineHarness>(Size(400, 708));
    app = std::make_unique<AppDelegate>();
    ASSERT_TRUE(app->applicationDidFinishLaunching());
    ASSERT_NE(reach<HelloWorld>(), nullptr);
}

void E2ETest::TearDown() {
    app.reset(); // stops the network thread
    FileUtils::getInstance()->setSearchPaths({""});
    h.reset();
    director.reset();
    if (server.running()) {
        // A clean exit also tells that the sanitizers found nothing in the server.
        const int status = server.stop();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << "\n"
                                                                   << server.log();
    }
}

bool E2ETest::until(const std::function<bool()>& done, int frames, double seconds) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds * kSlowdown);
    for (int i = 0; i < frames && std::chrono::steady_clock::now() < deadline; ++i) {
        if (done()) {
            return true;
        }
        h->frame();
        std::this_thread::sleep_for(1ms);
    }
    return done();
}

bool E2ETest::settle() {
    bool answered = false;
    if (!director->addListener("gb_event_getnotice",
                               [&](const ResponseDataPack&) { answered = true; })) {
        return false;
    }
    director->sendRequest(EVENT_GETNOTICE, new CLDataBuffer(), nullptr, true);
    const bool done = until([&] { return answered; });
    director->removeListeners("gb_event_getnotice");
    return done;
}

std::optional<Message> E2ETest::botHears(TestClient& bot, int32_t code) {
    std::optional<Message> heard;
    until([&] { return (heard = bot.waitPush(code, 1ms)).has_value(); });
    return heard;
}

ui::Button* E2ETest::button(const std::string& image) const {
    return h->find<ui::Button>(
        [&](ui::Button* b) { return b->getNormalFile() == image && EngineHarness::isShown(b); });
}

bool E2ETest::tap(const std::string& image) {
    ui::Button* b = button(image);
    if (b) {
        h->tap(b);
    }
    return b != nullptr;
}

std::vector<ui::TextField*> E2ETest::fields() const {
    std::vector<ui::TextField*> out;
    for (Node* n : h->allNodes()) {
        if (auto* field = dynamic_cast<ui::TextField*>(n)) {
            out.push_back(field);
        }
    }
    return out;
}

void E2ETest::fill(ui::TextField* field, const std::string& text) {
    h->tap(field);
    for (size_t i = field->getString().size(); i > 0; --i) {
        h->backspace();
    }
    h->type(text);
    EXPECT_EQ(field->getString(), text);
}

std::string E2ETest::message() const {
    ui::Text* line = h->find<ui::Text>([](ui::Text* t) { return t->getColor() == Color3B::RED; });
    return line ? line->getString() : "<no message line>";
}

std::string E2ETest::text(const char* key) const {
    const std::string t = director->getText(key);
    EXPECT_FALSE(t.empty()) << key;
    return t;
}

void E2ETest::makeAccount(const std::string& name) {
    TestClient maker(server.port());
    EXPECT_EQ(maker.registerUser(name, name + "-secret"), 1) << name;
}

std::unique_ptr<TestClient> E2ETest::newBot(const std::string& name, int32_t& id) {
    auto bot = std::make_unique<TestClient>(server.port());
    id = bot->enter(name);
    EXPECT_GT(id, 0) << name;
    return bot;
}

bool E2ETest::openLogin() {
    return tap("images/netgame.png") && reach<GBLoginScene>() != nullptr;
}

GBMatchScene* E2ETest::logIn(const std::string& name, const std::string& password) {
    const std::vector<ui::TextField*> f = fields();
    if (f.size() != 2) {
        ADD_FAILURE() << "not the login scene";
        return nullptr;
    }
    fill(f[0], name);
    fill(f[1], password);
    tap("images/login.png");
    return reach<GBMatchScene>();
}

GBMatchScene* E2ETest::enter(const std::string& name) {
    makeAccount(name);
    if (!openLogin()) {
        return nullptr;
    }
    GBMatchScene* scene = logIn(name, name + "-secret");
    clientId = director->userId;
    return scene;
}

GBNetGame* E2ETest::match(TestClient& bot) {
    GBMatchScene* scene = reach<GBMatchScene>();
    if (!scene || !tap("images/joinmatch.png") || !until([&] { return scene->isWaiting(); })) {
        ADD_FAILURE() << "the client is not waiting for a match";
        return nullptr;
    }
    const auto joined = bot.request(EVENT_JOINMATCH);
    EXPECT_TRUE(joined && joined->intAt(0) == 1);
    EXPECT_TRUE(botHears(bot, EVENT_MATCHRES));
    return reach<GBNetGame>();
}

GBNetGame* E2ETest::matchAs(int32_t colour, TestClient& bot) {
    for (int i = 0; i < kMaxMatches; ++i) {
        GBNetGame* game = match(bot);
        if (!game || game->getColour() == colour) {
            return game;
        }
        bot.request(EVENT_QUITCHESS);
        if (!until([&] { return resultPicture() == "images/gameover1.png"; })) {
            return nullptr;
        }
        tap("images/gameover1.png");
        reach<GBMatchScene>();
    }
    return nullptr;
}

void E2ETest::touchPoint(GBNetGame* game, int x, int y) {
    h->touch(game->getBoardSprite()->convertToWorldSpace(GoBangGame::pointPosition(x, y)));
}

int32_t E2ETest::stoneAt(GBNetGame* game, int x, int y) {
    return game->getBoard()[cellIndex(x, y)];
}

bool E2ETest::clientMoves(GBNetGame* game, TestClient& bot, int x, int y) {
    touchPoint(game, x, y);
    return clientMoveSeen(game, bot, x, y);
}

bool E2ETest::clientMoveSeen(GBNetGame* game, TestClient& bot, int x, int y) {
    const std::optional<Message> seen = botHears(bot, EVENT_OPPCHESS);
    return seen && seen->intAt(0) == x && seen->intAt(1) == y &&
           until([&] { return stoneAt(game, x, y) == game->getColour(); });
}

bool E2ETest::botMoves(GBNetGame* game, TestClient& bot, int x, int y) {
    const auto answer = bot.requestInts(EVENT_CHESS, {x, y});
    return answer && answer->intAt(0) == 1 &&
           until([&] { return stoneAt(game, x, y) == opponentOf(game->getColour()); });
}

ui::Text* E2ETest::clock() const {
    // The only text at x = 50: the clock stands over one player's side stone.
    return h->find<ui::Text>([](ui::Text* t) { return t->getPosition().x == 50; });
}

std::string E2ETest::myLine() const {
    ui::Text* line =
        h->find<ui::Text>([](ui::Text* t) { return t->getPosition() == Vec2(20, 50); });
    return line ? line->getString() : "<no line>";
}

std::string E2ETest::oppLine() const {
    const float top = h->director()->getWinSize().height - 50;
    ui::Text* line =
        h->find<ui::Text>([&](ui::Text* t) { return t->getPosition() == Vec2(20, top); });
    return line ? line->getString() : "<no line>";
}

std::string E2ETest::resultPicture() const {
    ui::Button* picture = h->find<ui::Button>([](ui::Button* b) {
        return b->getNormalFile().rfind("images/gameover", 0) == 0 && EngineHarness::isShown(b);
    });
    return picture ? picture->getNormalFile() : "";
}
