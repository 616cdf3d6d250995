// Every scene layer takes its director listeners with it however it goes.

#include "GBLoginScene.h"
#include "GBMatchScene.h"
#include "GBNetGame.h"
#include "HelloWorld.h"
#include "SceneFixture.h"

USING_NS_CC;

namespace {

using ListenersTest = SceneFixture;

// A layer that goes by a way that does not remove its listeners (here the scene is simply
// replaced) still takes them with it: nothing calls into a layer that is gone, and the next
// scene can register.
TEST_F(ListenersTest, ALayerThatGoesTakesItsListenersWithItWhateverWayItLeft) {
    director.userId = 7;
    const std::pair<std::function<Layer*()>, std::vector<const char*>> layers[] = {
        {[] { return HelloWorld::create(); }, {"gb_event_getnotice"}},
        {[] { return GBLoginScene::create(); }, {"gb_event_login"}},
        {[] { return GBMatchScene::create(); },
         {"gb_event_joinmatch", "gb_event_matchres", kConnectionEvent}},
        {[] { return GBNetGame::create(7, 9); },
         {"gb_event_chess", "gb_event_overtime", kConnectionEvent}},
    };
    for (const auto& [make, names] : layers) {
        show(make());
        show(Layer::create());
        h.frame(2); // the old scene is released at the end of the frame
        for (const char* name : names) {
            EXPECT_TRUE(director.addListener(name, [](const ResponseDataPack&) {})) << name;
            director.removeListeners(name);
        }
    }
}

} // namespace
