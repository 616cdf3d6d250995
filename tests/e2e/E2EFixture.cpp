#include "E2EFixture.h"

#include "GBMatchScene.h"
#include "HelloWorld.h"

#include <chrono>
#include <sys/wait.h>
#include <thread>

USING_NS_CC;
using namespace std::chrono_literals;

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
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration<double>(seconds * KORALITH_TIME_SCALE);
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

std::vector<ui::TextField*> E2ETest::fields() const {
    std::vector<ui::TextField*> out;
    for (Node* n : h->allNodes()) {
        if (auto* field = dynamic_cast<ui::TextField*>(n)) {
            out.push_back(field);
        }
    }
    return out;
}

bool E2ETest::submit(const std::vector<std::string>& typed, const std::string& image) {
    const std::vector<ui::TextField*> form = fields();
    if (form.size() != typed.size()) {
        return false;
    }
    for (size_t i = 0; i < form.size(); ++i) {
        h->tap(form[i]);
        for (size_t n = form[i]->getString().size(); n > 0; --n) {
            h->backspace();
        }
        h->type(typed[i]);
        EXPECT_EQ(form[i]->getString(), typed[i]);
    }
    return tap(image);
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
    EXPECT_EQ(TestClient(server.port()).registerUser(name, name + "-secret"), 1) << name;
}

GBMatchScene* E2ETest::enter(const std::string& name) {
    makeAccount(name);
    if (!openLogin() || !submit({name, name + "-secret"}, "images/login.png")) {
        return nullptr;
    }
    GBMatchScene* scene = reach<GBMatchScene>();
    clientId = director->userId;
    return scene;
}
