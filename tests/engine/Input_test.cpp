#include "TestSupport.h"
#include "harness/EngineHarness.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <vector>

USING_NS_CC;

namespace {
// A layer whose listener records every touch phase it hears, with the locations.
class Recorder : public Layer {
public:
    static Recorder* make(bool claim, bool swallow) {
        auto* r = new Recorder();
        r->init();
        r->autorelease();
        auto* listener = EventListenerTouchOneByOne::create();
        listener->setSwallowTouches(swallow);
        listener->onTouchBegan = [r, claim](Touch* t, Event*) {
            r->log.push_back('b');
            r->at.push_back(t->getLocation());
            return claim;
        };
        listener->onTouchMoved = [r](Touch* t, Event*) {
            r->log.push_back('m');
            r->at.push_back(t->getLocation());
        };
        listener->onTouchEnded = [r](Touch* t, Event*) {
            r->log.push_back('e');
            r->at.push_back(t->getLocation());
        };
        r->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, r);
        return r;
    }
    std::string log;
    std::vector<Vec2> at;
};

SDL_Event mouse(Uint32 type, int x, int y) {
    SDL_Event e{};
    e.type = type;
    if (type == SDL_MOUSEMOTION) {
        e.motion.x = x;
        e.motion.y = y;
        e.motion.state = SDL_BUTTON_LMASK;
    } else {
        e.button.button = SDL_BUTTON_LEFT;
        e.button.x = x;
        e.button.y = y;
    }
    return e;
}

// The old target/selector form of a widget handler.
class Handler : public Ref {
public:
    void onTouch(Ref*, ui::TouchEventType type) { types.push_back(static_cast<int>(type)); }
    std::vector<int> types;
};
} // namespace

TEST(InputTest, MouseEventsBecomeTouchesInDesignCoordinatesThroughTheLetterbox) {
    // 400 x 800 frame, 200 x 200 design: scale 2, bars of 200 pixels above and below.
    EngineHarness h(Size(400, 800), Size(200, 200));
    Recorder* r = Recorder::make(true, false);
    auto* scene = Scene::create();
    scene->addChild(r);
    h.runScene(scene);
    GLView* view = h.view();
    view->handleEvent(mouse(SDL_MOUSEBUTTONDOWN, 200, 400));
    view->handleEvent(mouse(SDL_MOUSEMOTION, 0, 600));
    view->handleEvent(mouse(SDL_MOUSEBUTTONUP, 400, 200));
    ASSERT_EQ(r->log, "bme");
    EXPECT_EQ(r->at[0], Vec2(100, 100));
    EXPECT_EQ(r->at[1], Vec2(0, 0));
    EXPECT_EQ(r->at[2], Vec2(200, 200));
    EXPECT_EQ(view->designToFrame(Vec2(50, 150)), Vec2(100, 300));
}

TEST(InputTest, TheFrontMostListenerIsAskedFirstAndASwallowingClaimHidesTheTouch) {
    EngineHarness h(Size(100, 100));
    auto* scene = Scene::create();
    Recorder* back = Recorder::make(true, false);
    Recorder* front = Recorder::make(true, true);
    scene->addChild(back);
    scene->addChild(front);
    h.runScene(scene);
    h.drag(Vec2(10, 10), Vec2(20, 20), 1);
    EXPECT_EQ(front->log, "bme");
    EXPECT_EQ(back->log, "");
    front->setLocalZOrder(-1); // now drawn first, so asked last
    h.touch(Vec2(10, 10));
    EXPECT_EQ(back->log, "be");
    EXPECT_EQ(front->log, "bmebe");
}

TEST(InputTest, OnlyAListenerThatClaimedTheBeginningHearsTheRest) {
    EngineHarness h(Size(100, 100));
    auto* scene = Scene::create();
    Recorder* back = Recorder::make(true, false);
    Recorder* front = Recorder::make(false, false);
    scene->addChild(back);
    scene->addChild(front);
    h.runScene(scene);
    h.drag(Vec2(10, 10), Vec2(20, 20), 2);
    EXPECT_EQ(front->log, "b");
    EXPECT_EQ(back->log, "bmme");
}

TEST(InputTest, AButtonReportsBeganMovedEndedAndCancelledOffIt) {
    TempDir dir;
    EngineHarness h(Size(200, 200));
    auto* scene = Scene::create();
    Recorder* behind = Recorder::make(true, false);
    scene->addChild(behind);
    auto* button = ui::Button::create(writePng(dir, "b.png", 40, 20, Color4B(0, 0, 255, 255)));
    button->setPosition(Vec2(100, 100));
    Handler handler;
    button->addTouchEventListener(&handler, toucheventselector(Handler::onTouch));
    std::vector<ui::Widget::TouchEventType> viaFunction;
    button->addTouchEventListener(
        [&](Ref*, ui::Widget::TouchEventType t) { viaFunction.push_back(t); });
    scene->addChild(button);
    h.runScene(scene);

    h.drag(Vec2(90, 95), Vec2(110, 105), 1);
    EXPECT_EQ(handler.types, (std::vector<int>{0, 1, 2}));
    h.drag(Vec2(100, 100), Vec2(150, 100), 1);
    EXPECT_EQ(handler.types, (std::vector<int>{0, 1, 2, 0, 1, 3}));
    EXPECT_EQ(viaFunction.size(), 6u);
    EXPECT_EQ(viaFunction[2], ui::Widget::TouchEventType::ENDED);
    EXPECT_EQ(behind->log, ""); // the button's touches are its own

    h.touch(Vec2(100, 125)); // just above the button
    EXPECT_EQ(behind->log, "be");
    button->setVisible(false);
    h.touch(Vec2(100, 100));
    scene->setVisible(false); // a hidden ancestor hides it too
    button->setVisible(true);
    h.touch(Vec2(100, 100));
    EXPECT_EQ(handler.types.size(), 6u);
    EXPECT_EQ(behind->log, "bebebe");
}

TEST(InputTest, AButtonMayRemoveItselfInItsHandler) {
    TempDir dir;
    EngineHarness h(Size(200, 200));
    auto* scene = Scene::create();
    auto* button = ui::Button::create(writePng(dir, "b.png", 40, 20, Color4B(0, 0, 255, 255)));
    button->setPosition(Vec2(100, 100));
    button->addTouchEventListener([&](Ref* sender, ui::Widget::TouchEventType t) {
        if (t == ui::Widget::TouchEventType::ENDED) {
            static_cast<Node*>(sender)->removeFromParentAndCleanup(true);
        }
    });
    scene->addChild(button);
    h.runScene(scene);
    h.frame();
    h.touch(Vec2(100, 100));
    EXPECT_TRUE(scene->getChildren().empty());
    h.touch(Vec2(100, 100));
}

TEST(InputTest, ATextFieldTakesTheFocusOnAClickAndTakesTypedText) {
    EngineHarness h(Size(400, 300));
    auto* scene = Scene::create();
    auto* name = ui::TextField::create("user name", "Arial", 26);
    auto* secret = ui::TextField::create("password", "Arial", 26);
    name->setAnchorPoint(Vec2(0, 0.5f));
    name->setPosition(Vec2(50, 200));
    secret->setAnchorPoint(Vec2(0, 0.5f));
    secret->setPosition(Vec2(50, 100));
    secret->setPasswordEnabled(true);
    scene->addChild(name);
    scene->addChild(secret);
    h.runScene(scene);
    EXPECT_EQ(EngineHarness::textOf(name), "user name");

    h.type("lost"); // nothing focused yet
    h.tap(name);
    h.type("J");
    h.type("ö");
    h.type("rg");
    EXPECT_EQ(name->getString(), "Jörg");
    h.backspace();
    h.backspace();
    EXPECT_EQ(name->getString(), "Jö");
    h.backspace();
    EXPECT_EQ(name->getString(), "J"); // the two bytes of ö went together

    h.tap(secret);
    h.type("pässwörd");
    EXPECT_EQ(secret->getString(), "pässwörd");
    EXPECT_EQ(EngineHarness::textOf(secret), "********");
    EXPECT_EQ(name->getString(), "J");

    h.touch(Vec2(350, 20)); // elsewhere: the focus goes
    h.type("x");
    EXPECT_EQ(secret->getString(), "pässwörd");
    secret->setString("");
    EXPECT_EQ(EngineHarness::textOf(secret), "password");
}

TEST(InputTest, TypingAndBackspaceArriveFromSDLEvents) {
    EngineHarness h(Size(400, 300));
    auto* scene = Scene::create();
    auto* field = ui::TextField::create("", "Arial", 26);
    field->setString("ab");
    field->setPosition(Vec2(200, 150));
    scene->addChild(field);
    h.runScene(scene);
    h.tap(field);
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    SDL_strlcpy(text.text.text, "é", sizeof text.text.text);
    h.view()->handleEvent(text);
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = SDLK_BACKSPACE;
    h.view()->handleEvent(key);
    h.view()->handleEvent(key);
    EXPECT_EQ(field->getString(), "a");
}

TEST(InputTest, NoInputReachesASceneThatIsBeingReplaced) {
    TempDir dir;
    EngineHarness h(Size(200, 200));
    auto* scene = Scene::create();
    Recorder* behind = Recorder::make(true, false);
    scene->addChild(behind);
    auto* field = ui::TextField::create("name", "Arial", 20);
    field->setPosition(Vec2(100, 40));
    scene->addChild(field);
    auto* button = ui::Button::create(writePng(dir, "b.png", 40, 20, Color4B(0, 0, 255, 255)));
    button->setPosition(Vec2(100, 100));
    int built = 0;
    button->addTouchEventListener([&](Ref*, ui::Widget::TouchEventType t) {
        if (t == ui::Widget::TouchEventType::ENDED) {
            ++built;
            Director::getInstance()->replaceScene(Scene::create());
        }
    });
    scene->addChild(button);
    h.runScene(scene);
    h.tap(field);
    h.type("ab");

    // Two clicks on the button in one event poll: the first asks for the next scene, the
    // second finds the change pending and reaches nothing.
    for (Uint32 type :
         {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
        h.view()->handleEvent(mouse(type, 100, 100));
    }
    EXPECT_EQ(built, 1);
    h.type("c");
    h.backspace();
    EXPECT_EQ(field->getString(), "ab");
    h.drag(Vec2(20, 180), Vec2(30, 170), 1);
    EXPECT_EQ(behind->log, "");
    h.frame();
    EXPECT_NE(h.director()->getRunningScene(), scene);
}

TEST(InputTest, HeldTouchesStopReachingASceneOnceItsReplacementIsAskedFor) {
    EngineHarness h(Size(200, 200));
    auto* scene = Scene::create();
    Recorder* r = Recorder::make(true, false);
    scene->addChild(r);
    h.runScene(scene);
    h.press(Vec2(20, 20));
    h.director()->replaceScene(Scene::create());
    h.moveTo(Vec2(30, 30));
    h.release(Vec2(30, 30));
    EXPECT_EQ(r->log, "b");
}

TEST(InputTest, AnEmptyTextFieldWithoutPlaceholderCanStillBeTouched) {
    EngineHarness h(Size(400, 300));
    auto* scene = Scene::create();
    auto* field = ui::TextField::create("", "Arial", 26);
    field->setPosition(Vec2(200, 150));
    scene->addChild(field);
    h.runScene(scene);
    const Size empty = field->getContentSize();
    EXPECT_GE(empty.height, 26);
    EXPECT_GE(empty.width, 80);
    h.touch(Vec2(230, 160)); // off the middle, where a player aims at a box this size
    h.type("ok");
    EXPECT_EQ(field->getString(), "ok");
    h.backspace();
    h.backspace();
    EXPECT_EQ(field->getContentSize(), empty); // empty again: the same box
    h.touch(Vec2(380, 20));                    // elsewhere: the focus goes
    h.touch(Vec2(170, 140));
    h.type("x");
    EXPECT_EQ(field->getString(), "x");
}
