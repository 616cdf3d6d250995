// Scene code written as the game's scenes are written against the engine: a menu layer with
// picture buttons, a board-like layer with a one-by-one touch listener, a keyed clock, and a
// dispatch step scheduled on an object that is not a node.

#include "TestSupport.h"
#include "harness/EngineHarness.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

USING_NS_CC;

namespace {

class BoardLayer : public LayerColor {
public:
    CREATE_FUNC(BoardLayer)
    bool init() override {
        if (!LayerColor::initWithColor(Color4B(139, 115, 85, 255))) {
            return false;
        }
        auto* listener = EventListenerTouchOneByOne::create();
        listener->onTouchBegan = CC_CALLBACK_2(BoardLayer::onTouchBegan, this);
        listener->onTouchMoved = CC_CALLBACK_2(BoardLayer::onTouchMoved, this);
        listener->onTouchEnded = CC_CALLBACK_2(BoardLayer::onTouchEnded, this);
        _eventDispatcher->addEventListenerWithSceneGraphPriority(listener, this);
        timeText = ui::Text::create("", "arial", 20);
        addChild(timeText);
        return true;
    }
    virtual bool onTouchBegan(Touch*, Event*) { return true; }
    virtual void onTouchMoved(Touch*, Event*) {}
    virtual void onTouchEnded(Touch* touch, Event*) {
        ended = touch->getLocation();
        startClock();
    }
    void startClock() {
        Director::getInstance()->getScheduler()->unschedule("NetGameTiming", this);
        timeText->setString(StringUtils::format("%d", 60));
        Director::getInstance()->getScheduler()->schedule(
            CC_CALLBACK_1(BoardLayer::onClockTick, this), this, 1.0f, 60, 1.0f, false,
            "NetGameTiming");
    }
    void onClockTick(float) {
        const int n = std::max(0, std::atoi(timeText->getString().c_str()) - 1);
        timeText->setString(StringUtils::format("%d", n));
    }
    ui::Text* timeText = nullptr;
    Vec2 ended;
};

class MenuLayer : public LayerColor {
public:
    CREATE_FUNC(MenuLayer)
    bool init() override {
        if (!LayerColor::initWithColor(Color4B(139, 115, 85, 255))) {
            return false;
        }
        const Size size = Director::getInstance()->getOpenGLView()->getDesignResolutionSize();
        auto* play =
            ui::Button::create("images/danjigame.png", "", "", ui::Widget::TextureResType::LOCAL);
        play->setPosition(Vec2(size.width / 2, size.height / 2 + play->getContentSize().height));
        play->addTouchEventListener(this, toucheventselector(MenuLayer::onPlay));
        addChild(play);
        return true;
    }
    void onPlay(Ref*, ui::TouchEventType type) {
        ++presses;
        if (type != ui::TOUCH_EVENT_ENDED) {
            return;
        }
        auto* scene = Scene::create();
        scene->addChild(BoardLayer::create());
        Director::getInstance()->replaceScene(TransitionMoveInR::create(0.5f, scene));
    }
    int presses = 0;
};

// Stands for the network director: a plain object with a repeating step.
struct NetDirector {
    int dispatched = 0;
    void dispatchEvents(float) { ++dispatched; }
};

} // namespace

TEST(SceneCodeTest, AMenuButtonSlidesToABoardWhoseTouchesAndClockWork) {
    TempDir dir;
    ::mkdir(dir.file("res").c_str(), 0700);
    ::mkdir(dir.file("res/images").c_str(), 0700);
    writePng(dir, "res/images/danjigame.png", 120, 40, Color4B(0, 90, 0, 255));
    FileUtils::getInstance()->addSearchPath(dir.file("res"));
    NetDirector net;
    EngineHarness h(Size(400, 708));
    const Size frame = h.view()->getFrameSize();
    h.view()->setDesignResolutionSize(
        576, static_cast<float>(static_cast<double>(frame.height / frame.width) * 576.0),
        ResolutionPolicy::SHOW_ALL);
    EXPECT_NEAR(h.director()->getWinSize().height, 1019.52f, 1e-3);
    h.director()->getScheduler()->schedule(CC_CALLBACK_1(NetDirector::dispatchEvents, &net), &net,
                                           0.1f, CC_REPEAT_FOREVER, 0.1f, false, "fff");
    auto* scene = Scene::create();
    MenuLayer* menu = MenuLayer::create();
    scene->addChild(menu);
    h.runScene(scene);

    auto* play = h.find<ui::Button>();
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->getContentSize(), Size(120, 40));
    EXPECT_EQ(EngineHarness::worldCentre(play), Vec2(288, 1019.52f / 2 + 40));
    h.tap(play);
    EXPECT_EQ(menu->presses, 2); // began and ended
    h.advance(0.55f);
    auto* board = h.find<BoardLayer>();
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(h.director()->getRunningScene(), board->getParent());

    h.touch(Vec2(100, 200));
    EXPECT_EQ(board->ended, Vec2(100, 200));
    EXPECT_EQ(board->timeText->getString(), "60");
    h.advance(1.0f);
    EXPECT_EQ(board->timeText->getString(), "59");
    h.advance(70.0f);
    EXPECT_EQ(board->timeText->getString(), "0");
    const int frames = 1 + 33 + 60 + 4200; // of 1/60 s each since the step was scheduled
    EXPECT_EQ(net.dispatched, frames / 6);
    h.director()->getScheduler()->unschedule("fff", &net);
    FileUtils::getInstance()->setSearchPaths({""});
}
