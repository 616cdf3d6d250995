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
    CREATE_FUNC(Recorder)
    static Recorder* make(bool claim, bool swallow) {
        Recorder* r = create();
        auto* listener = EventListenerTouchOneByOne::create();
        listener->setSwallowTouches(swallow);
        auto note = [r](char phase, Touch* t) {
            r->log.push_back(phase);
            r->at.push_back(t->getLocation());
        };
        listener->onTouchBegan = [note, claim](Touch* t, Event*) {
            note('b', t);
            return claim;
        };
        listener->onTouchMoved = [note](Touch* t, Event*) { note('m', t); };
        listener->onTouchEnded = [note](Touch* t, Event*) { note('e', t); };
        r->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, r);
        return r;
    }
    std::string log;
    std::vector<Vec2> at;
};

// A left-button event as the window delivers it.
SDL_Event mouse(Uint32 type, int x, int y) {
    SDL_Event e{};
    e.type = type;
    if (type == SDL_MOUSEMOTION) {
        e.motion = SDL_MouseMotionEvent{type, 0, 0, 0, SDL_BUTTON_LMASK, x, y, 0, 0};
    } else {
        e.button = SDL_MouseButtonEvent{type, 0, 0, 0, SDL_BUTTON_LEFT, 0, 1, 0, x, y};
    }
    return e;
}

struct InputFixture : ::testing::Test {
    TempDir dir;
    EngineHarness h{Size(400, 300)};
    Scene* scene = Scene::create();
    Recorder* behind = Recorder::make(true, false);
    void SetUp() override { scene->addChild(behind); }
    ui::Button* button(Vec2 at) {
        auto* b = ui::Button::create(writePng(dir, "b.png", 40, 20, Color4B(0, 0, 255, 255)));
        b->setPosition(at);
        scene->addChild(b);
        return b;
    }
    ui::TextField* field(const char* placeholder, Vec2 at) {
        auto* f = ui::TextField::create(placeholder, "Arial", 26);
        f->setPosition(at);
        scene->addChild(f);
        return f;
    }
};
} // namespace

TEST(InputTest, MouseEventsBecomeTouchesInDesignCoordinatesThroughTheLetterbox) {
    // 400 x 800 frame, 200 x 200 design: scale 2, bars of 200 pixels above and below.
    EngineHarness h(Size(400, 800), Size(200, 200));
    Recorder* r = Recorder::make(true, false);
    auto* scene = Scene::create();
    scene->addChild(r);
    h.runScene(scene);
    h.view()->handleEvent(mouse(SDL_MOUSEBUTTONDOWN, 200, 400));
    h.view()->handleEvent(mouse(SDL_MOUSEMOTION, 0, 600));
    h.view()->handleEvent(mouse(SDL_MOUSEBUTTONUP, 400, 200));
    EXPECT_EQ(r->log, "bme");
    EXPECT_EQ(r->at, (std::vector<Vec2>{Vec2(100, 100), Vec2(0, 0), Vec2(200, 200)}));
}

TEST_F(InputFixture, TheFrontMostListenerIsAskedFirstAndOnlyAClaimHearsTheRest) {
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
}

TEST_F(InputFixture, AButtonReportsBeganMovedEndedAndCancelledOffItAndOnlyWhileShown) {
    ui::Button* b = button(Vec2(100, 100));
    std::vector<int> types;
    b->addTouchEventListener([&](Ref*, ui::Widget::TouchEventType t) { types.push_back(int(t)); });
    h.runScene(scene);
    h.drag(Vec2(90, 95), Vec2(110, 105), 1);
    h.drag(Vec2(100, 100), Vec2(150, 100), 1); // released off it
    h.touch(Vec2(100, 125));                   // just above the button
    b->setVisible(false);
    h.touch(Vec2(100, 100));
    b->setVisible(true);
    scene->setVisible(false); // a hidden ancestor hides it too
    h.touch(Vec2(100, 100));
    EXPECT_EQ(types, (std::vector<int>{0, 1, 2, 0, 1, 3}));
    EXPECT_EQ(behind->log, "bebebe"); // the button's own touches are not among them
}

TEST_F(InputFixture, ATextFieldTakesTheFocusOnATouchAndTakesTypedTextEvenWhenEmpty) {
    ui::TextField* name = field("user name", Vec2(150, 200));
    ui::TextField* secret = field("password", Vec2(150, 100));
    secret->setPasswordEnabled(true);
    h.runScene(scene);
    h.type("lost"); // nothing has the focus yet
    h.tap(name);
    SDL_Event e{}; // text and keys as the window delivers them
    e.type = SDL_TEXTINPUT;
    SDL_strlcpy(e.text.text, "Jö", sizeof e.text.text);
    h.view()->handleEvent(e);
    h.type("rg");
    EXPECT_EQ(name->getString(), "Jörg");
    h.backspace();
    e = SDL_Event{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = SDLK_BACKSPACE;
    h.view()->handleEvent(e);
    h.backspace();
    EXPECT_EQ(name->getString(), "J"); // the two bytes of ö went together

    h.tap(secret);
    h.type("pässwörd");
    EXPECT_EQ(EngineHarness::textOf(secret), "********");
    h.touch(Vec2(350, 20)); // elsewhere: the focus goes
    h.type("x");
    EXPECT_EQ(secret->getString(), "pässwörd");
    EXPECT_EQ(name->getString(), "J");
    secret->setString("");
    EXPECT_EQ(EngineHarness::textOf(secret), "password");

    // With neither text nor placeholder a field still has a box a player can touch, off its
    // middle too, where a player aims at a box that size.
    ui::TextField* bare = field("", Vec2(300, 250));
    h.touch(Vec2(330, 260));
    h.type("x");
    EXPECT_EQ(bare->getString(), "x");
    h.backspace(); // empty again: the same box
    h.tap(name);
    h.touch(Vec2(270, 240));
    h.type("y");
    EXPECT_EQ(bare->getString(), "y");
}

TEST_F(InputFixture, NoInputReachesASceneOnceItsReplacementIsAskedFor) {
    ui::TextField* f = field("name", Vec2(100, 40));
    int built = 0;
    button(Vec2(100, 100))->addTouchEventListener([&](Ref*, ui::Widget::TouchEventType t) {
        if (t == ui::Widget::TouchEventType::ENDED) {
            ++built;
            Director::getInstance()->replaceScene(Scene::create());
        }
    });
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
}

TEST_F(InputFixture, HeldTouchesStopReachingASceneOnceItsReplacementIsAskedFor) {
    h.runScene(scene);
    h.press(Vec2(20, 20));
    h.director()->replaceScene(Scene::create());
    h.moveTo(Vec2(30, 30));
    h.release(Vec2(30, 30));
    EXPECT_EQ(behind->log, "b");
}

TEST_F(InputFixture, ATextFieldsTouchAreaSitsOnItsAnchorAndTakesTheFocus) {
    // Both fields' 200 x 40 areas cover x 100..300, y 80..120 of the scene.
    for (const Vec2 anchor : {Vec2(0, 0.5f), Vec2(0.5f, 0.5f)}) {
        ui::TextField* f = field("", Vec2(100 + 200 * anchor.x, 100));
        f->setAnchorPoint(anchor);
        f->setTouchSize(Size(200, 40));
        f->setTouchAreaEnabled(true);
        h.runScene(scene);
        const std::pair<Vec2, bool> touches[] = {
            {Vec2(101, 81), true},   {Vec2(299, 119), true},  {Vec2(95, 100), false},
            {Vec2(305, 100), false}, {Vec2(200, 125), false}, {Vec2(200, 75), false},
        };
        for (const auto& [at, inside] : touches) {
            h.touch(at);
            EXPECT_EQ(f->isFocused(), inside) << anchor.x << ": " << at.x << ", " << at.y;
        }
        f->removeFromParent();
    }
}

TEST_F(InputFixture, AttachWithIMEMovesTheFocusAsATouchWould) {
    ui::TextField* a = field("a", Vec2(100, 200));
    ui::TextField* b = field("b", Vec2(100, 100));
    h.runScene(scene);
    a->attachWithIME();
    h.type("1");
    b->attachWithIME();
    h.type("2");
    EXPECT_FALSE(a->isFocused());
    b->detachWithIME();
    h.type("3");
    EXPECT_EQ(a->getString() + b->getString(), "12");
    EXPECT_FALSE(b->isFocused());
}

TEST_F(InputFixture, AButtonWithThePressedActionLooksPressedOnlyWhileHeldOnIt) {
    // The 40 x 20 blue button spans x 80..120; held, with the action, it grows to 78..122.
    const Color4B blue(0, 0, 255, 255), dark(0, 0, 204, 255), none(0, 0, 0, 255);
    for (const bool enabled : {false, true}) {
        ui::Button* b = button(Vec2(100, 100));
        b->setPressedActionEnabled(enabled);
        h.runScene(scene);
        h.press(Vec2(100, 100));
        EXPECT_EQ(h.pixelAt(Vec2(100, 100)), enabled ? dark : blue);
        EXPECT_EQ(h.pixelAt(Vec2(121, 100)), enabled ? dark : none);
        EXPECT_EQ(b->getContentSize(), Size(40, 20));
        h.moveTo(Vec2(121, 100)); // off the button: its touch area did not grow
        EXPECT_EQ(h.pixelAt(Vec2(100, 100)), blue);
        h.moveTo(Vec2(100, 100));
        EXPECT_EQ(h.pixelAt(Vec2(100, 100)), enabled ? dark : blue);
        h.release(Vec2(100, 100));
        EXPECT_EQ(h.pixelAt(Vec2(100, 100)), blue);
        EXPECT_EQ(h.pixelAt(Vec2(121, 100)), none);
        b->removeFromParent();
    }
}

TEST(InputTest, AClickLandsOnTheSameDesignPointAtEveryWindowSize) {
    // The game's window: 400 x 708 points, 576 design units wide. A wide window letterboxes the
    // picture left and right (scale 0.6866, bars of 302.26 points); a HiDPI one has 2 pixels a
    // point and the same points.
    EngineHarness h(Size(400, 708), Size(576, 1019.52f));
    Recorder* r = Recorder::make(true, false);
    auto* scene = Scene::create();
    scene->addChild(r);
    h.runScene(scene);
    struct Case {
        Size points;
        float pixelsPerPoint;
        Vec2 click;
        Vec2 design;
    };
    const Case cases[] = {
        {Size(400, 708), 1, Vec2(200, 354), Vec2(288, 509.76f)},
        {Size(400, 708), 1, Vec2(0, 0), Vec2(0, 1019.52f)},
        {Size(400, 708), 2, Vec2(200, 354), Vec2(288, 509.76f)},
        {Size(400, 708), 2, Vec2(400, 708), Vec2(576, 0)},
        {Size(1000, 700), 1, Vec2(500, 350), Vec2(288, 509.76f)},
        {Size(1000, 700), 1, Vec2(302, 0), Vec2(-0.38f, 1019.52f)},
        {Size(1000, 700), 1, Vec2(100, 700), Vec2(-294.58f, 0)},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(h.view()->resizeHeadless(c.points, c.pixelsPerPoint));
        r->at.clear();
        h.view()->handleEvent(mouse(SDL_MOUSEBUTTONDOWN, int(c.click.x), int(c.click.y)));
        h.view()->handleEvent(mouse(SDL_MOUSEBUTTONUP, int(c.click.x), int(c.click.y)));
        ASSERT_EQ(r->at.size(), 2u);
        EXPECT_NEAR(r->at[0].x, c.design.x, 0.01) << c.click.x << ", " << c.click.y;
        EXPECT_NEAR(r->at[0].y, c.design.y, 0.01) << c.click.x << ", " << c.click.y;
    }
    EXPECT_EQ(h.view()->getDesignResolutionSize(), Size(576, 1019.52f));
    EXPECT_EQ(h.view()->getFrameSize(), Size(1000, 700));
}
