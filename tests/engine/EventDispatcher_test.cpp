// Who hears a touch or a key, and that nothing does once the scene's replacement is asked for.

#include "TestSupport.h"

USING_NS_CC;
using Key = EventKeyboard::KeyCode;
using EventDispatcherTest = WidgetTest;

TEST_F(EventDispatcherTest, FrontMostListenerFirstOnlyAClaimHearsTheRestNoneOnceReplaced) {
    Recorder* front = Recorder::make(true, true);
    Recorder* top = Recorder::make(false, false);
    scene->addChild(front);
    scene->addChild(top);
    h.runScene(scene);
    h.drag(Vec2(10, 10), Vec2(20, 20), 2);
    EXPECT_EQ(top->log, "b"); // asked first, and did not claim
    EXPECT_EQ(front->log, "bmme");
    EXPECT_EQ(behind->log, ""); // swallowed
    front->setLocalZOrder(-1);  // now drawn first, so asked last
    h.touch(Vec2(10, 10));
    EXPECT_EQ(behind->log, "be");
    EXPECT_EQ(front->log, "bmmebe");
    // A touch held when the scene's replacement is asked for reaches it no more.
    h.press(Vec2(20, 20));
    h.director()->replaceScene(Scene::create());
    h.moveTo(Vec2(30, 30));
    h.release(Vec2(30, 30));
    EXPECT_EQ(behind->log, "beb");
    EXPECT_EQ(front->log, "bmmebeb");
}

TEST_F(EventDispatcherTest, EveryListenerHearsAKeyFrontMostFirstUntilOneStopsItShiftKnownToAll) {
    std::string log;
    scene->addChild(keyListener("back", log));
    scene->addChild(keyListener("front", log, true));
    keyListener("away", log); // not in the running scene
    h.runScene(scene);
    h.key(Key::KEY_TAB);
    EXPECT_EQ(log, "front:Tab+ back:Tab+ front:Tab- back:Tab- ");
    log.clear();
    h.key(Key::KEY_ESCAPE);
    EXPECT_EQ(log, "front:Esc+ front:Esc- back:Esc- ");
    log.clear();
    h.key(Key::KEY_TAB, true);
    h.key(Key::KEY_TAB);
    EXPECT_EQ(log, "front:Shift+^ back:Shift+^ front:Tab+^ back:Tab+^ front:Tab-^ back:Tab-^ "
                   "front:Shift- back:Shift- front:Tab+ back:Tab+ front:Tab- back:Tab- ");
    log.clear();
    // Pressed during a slide, where keys are dropped, Shift still counts after it.
    auto* next = Scene::create();
    next->addChild(keyListener("n", log));
    h.director()->replaceScene(TransitionMoveInR::create(0.5f, next));
    h.frame();
    h.pressKey(Key::KEY_LEFT_SHIFT);
    h.key(Key::KEY_TAB);
    EXPECT_EQ(log, "");
    h.advance(0.6f);
    h.key(Key::KEY_TAB);
    EXPECT_EQ(log, "n:Tab+^ n:Tab-^ ");
}

TEST_F(EventDispatcherTest, NoInputReachesASceneOnceItsReplacementIsAskedFor) {
    ui::TextField* f = field("name", Vec2(100, 40));
    int built = 0;
    button(Vec2(100, 100))->addTouchEventListener([&](Ref*, ui::Widget::TouchEventType t) {
        if (t == ui::Widget::TouchEventType::ENDED) {
            ++built;
            Director::getInstance()->replaceScene(Scene::create());
        }
    });
    std::string keys;
    scene->addChild(keyListener("l", keys));
    h.runScene(scene);
    h.tap(f);
    h.type("ab");
    // Two clicks on the button before the next frame, as in one event poll: the first asks for
    // the next scene, the second finds the change pending and reaches nothing.
    h.touch(Vec2(100, 100));
    h.touch(Vec2(100, 100));
    EXPECT_EQ(built, 1);
    h.type("c");
    h.backspace();
    EXPECT_EQ(f->getString(), "ab");
    h.drag(Vec2(20, 180), Vec2(30, 170), 1);
    EXPECT_EQ(behind->log, "");
    h.key(Key::KEY_ENTER);
    EXPECT_EQ(keys, "");
}
