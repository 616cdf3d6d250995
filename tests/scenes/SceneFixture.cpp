#include "SceneFixture.h"

USING_NS_CC;

namespace {
// Nothing listens here: the director is never started, so it never connects.
constexpr uint16_t kUnusedPort = 9;
} // namespace

SceneFixture::SceneFixture()
    : director("127.0.0.1", kUnusedPort, dir.file("netlog").c_str()), h(Size(400, 708)) {
    UserDefault::setStorageDirectory(dir.path());
    const Size frame = h.view()->getFrameSize();
    h.view()->setDesignResolutionSize(
        576, static_cast<float>(static_cast<double>(frame.height / frame.width) * 576.0),
        ResolutionPolicy::SHOW_ALL);
    FileUtils::getInstance()->setSearchPaths({KORALITH_RES_DIR});
    director.loadTexts();
    RandomHelper::getEngine().seed(1);
    h.director()->getScheduler()->schedule(CC_CALLBACK_1(GBDirector::dispatchEvents, &director),
                                           &director, 0.1f, CC_REPEAT_FOREVER, 0.1f, false, "fff");
}

SceneFixture::~SceneFixture() {
    FileUtils::getInstance()->setSearchPaths({""});
}

std::vector<ui::Button*> SceneFixture::buttons() const {
    std::vector<ui::Button*> out;
    for (Node* n : h.allNodes()) {
        if (auto* b = dynamic_cast<ui::Button*>(n)) {
            out.push_back(b);
        }
    }
    return out;
}
