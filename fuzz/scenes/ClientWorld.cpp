// The fuzzer's world: engine set-up once per process, and each input's director, login and
// first scene (see ClientWorld.h).
#include "ClientWorld.h"

#include "CLNetworkModule.h"
#include "EventCodes.h"
#include "GBMatchScene.h"
#include "HelloWorld.h"
#include "Packet.h"

#include <cstdio>
#include <cstdlib>

USING_NS_CC;

namespace clientfuzz {

namespace {

// The design size is the one the game sets for its 400 x 708 window. The frame is an eighth of
// it: every frame that changed is drawn, and at the window's own size drawing takes most of the
// time of an input, while nothing of the receive path depends on the number of pixels.
const Size kWindow(400, 708);
const Size kFrame(72, 128);
// "/dev/null/" holds no files: the network diary and the settings are never written, and the
// settings read as empty (no remembered name or password).
const char* const kNowhere = "/dev/null/";

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "client fuzz set-up failed: %s\n", what);
    std::abort();
}

ClientWorld* world = nullptr;

} // namespace

ClientWorld& ClientWorld::get() {
    if (!world) {
        world = new ClientWorld();
    }
    return *world;
}

void ClientWorld::shutDown() {
    delete world;
    world = nullptr;
}

ClientWorld::ClientWorld() : harness_(new EngineHarness(kFrame)) {
    UserDefault::setStorageDirectory(kNowhere);
    harness_->view()->setDesignResolutionSize(
        576, static_cast<float>(static_cast<double>(kWindow.height / kWindow.width) * 576.0),
        ResolutionPolicy::SHOW_ALL);
    FileUtils::getInstance()->setSearchPaths({KORALITH_RES_DIR});
}

ClientWorld::~ClientWorld() {
    director_.reset();
    delete harness_; // purges the engine
}

template <typename Layer>
Layer* ClientWorld::show(Layer* layer) {
    if (!layer) {
        broken("a first scene could not be made (are the pictures in KORALITH_RES_DIR?)");
    }
    auto* scene = Scene::create();
    scene->addChild(layer);
    harness_->director()->replaceScene(scene);
    harness_->frame();
    return layer;
}

// As the login scene leaves it, without its slide: the director remembers the login (and would
// log in again with it), the id is the player's.
void ClientWorld::logIn() {
    director_->sendCredentials(EVENT_LOGIN, "fuzz", "secret");
    CLDataBuffer answer;
    answer.addInt(1);
    answer.addInt(kMe);
    const std::vector<uint8_t> packet = buildResponsePacket(EVENT_LOGIN, kLoginSeq, &answer);
    received(packet.data() + kLengthFieldSize,
             static_cast<uint32_t>(packet.size() - kLengthFieldSize));
    director_->dispatchEvents(0);
    director_->userId = kMe;
    if (!director_->logsInAgain() || director_->nextSequence() != kLoginAgainSeq + 1) {
        broken("the login did not leave the director logged in");
    }
}

void ClientWorld::begin(Start start) {
    RandomHelper::getEngine().seed(1);
    director_ = std::make_unique<GBDirector>("127.0.0.1", 9, kNowhere);
    director_->loadTexts();
    // What GBDirector::start schedules, without the network thread it starts.
    GBDirector* director = director_.get();
    harness_->director()->getScheduler()->schedule(
        [director](float dt) { director->dispatchEvents(dt); }, director, 0.1f, CC_REPEAT_FOREVER,
        0.1f, false, "fff");
    logIn();
    if (start == Start::Menu) {
        show(HelloWorld::create());
    } else {
        show(GBMatchScene::create());
        ui::Button* join = harness_->find<ui::Button>(
            [](ui::Button* b) { return b->getNormalFile() == "images/joinmatch.png"; });
        if (!join) {
            broken("the match room has no join button");
        }
        harness_->tap(join);
    }
    if (director_->nextSequence() != kFirstSceneSeq + 1) {
        broken("the first scene did not send its request");
    }
}

void ClientWorld::end() {
    harness_->director()->replaceScene(Scene::create());
    harness_->frame(); // a running slide ends, and every scene of the input is released
    director_.reset();
}

void ClientWorld::received(const uint8_t* body, uint32_t length) {
    director_->onNetworkEvent(CLNetworkModule::PACKET_RECEIVED, body, length);
}

void ClientWorld::connectionLost() {
    director_->onNetworkEvent(CLNetworkModule::CONNECTION_LOST, nullptr, 0);
}

void ClientWorld::connected(bool greeted) {
    const uint8_t greeting[1] = {0};
    director_->onNetworkEvent(CLNetworkModule::CONNECTED, greeted ? greeting : nullptr,
                              greeted ? 1 : 0);
}

// The network module hands back the whole packet it could not send, length field included.
void ClientWorld::requestFailed(bool notConnected, uint32_t seq, int32_t code) {
    const std::vector<uint8_t> packet = buildRequestPacket(seq, code, nullptr);
    director_->onNetworkEvent(notConnected ? CLNetworkModule::SEND_NOT_CONNECTED
                                           : CLNetworkModule::SEND_FAILED,
                              packet.data(), static_cast<uint32_t>(packet.size()));
}

} // namespace clientfuzz
