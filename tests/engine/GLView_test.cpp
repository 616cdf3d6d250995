// The window's events as the engine takes them: mouse clicks become touches at design points
// through the SHOW_ALL transform at every window size, and keys become the engine's key codes.

#include "TestSupport.h"

#include <SDL.h>

USING_NS_CC;

namespace {
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

SDL_Event keyEvent(Uint32 type, SDL_Keycode sym, Uint8 repeat = 0) {
    SDL_Event e{};
    e.type = type;
    e.key.repeat = repeat;
    e.key.keysym.sym = sym;
    return e;
}
} // namespace

// The game's window: 400 x 708 points, 576 design units wide. A tall window bars the picture
// above and below (scale 0.6944, bars of 354 points), a wide one left and right (scale 0.6866,
// bars of 302.26 points); a HiDPI one has 2 pixels a point and the same points.
TEST(GLViewTest, AClickLandsOnTheSameDesignPointAtEveryWindowSize) {
    EngineHarness h(Size(400, 708), Size(576, 1019.52f));
    Recorder* r = Recorder::make(true, false);
    h.runScene(sceneWith(r));
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
        {Size(400, 1416), 1, Vec2(200, 708), Vec2(288, 509.76f)},
        {Size(400, 1416), 1, Vec2(0, 0), Vec2(0, 1529.28f)},
        {Size(1000, 700), 1, Vec2(500, 350), Vec2(288, 509.76f)},
        {Size(1000, 700), 1, Vec2(302, 0), Vec2(-0.38f, 1019.52f)},
        {Size(1000, 700), 1, Vec2(100, 700), Vec2(-294.58f, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.click.x) + ", " + std::to_string(c.click.y));
        ASSERT_TRUE(h.view()->resizeHeadless(c.points, c.pixelsPerPoint));
        r->log.clear();
        r->at.clear();
        for (const Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEMOTION, SDL_MOUSEBUTTONUP}) {
            h.view()->handleEvent(mouse(type, int(c.click.x), int(c.click.y)));
        }
        ASSERT_EQ(r->log, "bme");
        for (const Vec2& at : r->at) {
            EXPECT_NEAR(at.x, c.design.x, 0.01);
            EXPECT_NEAR(at.y, c.design.y, 0.01);
        }
    }
    EXPECT_EQ(h.view()->getDesignResolutionSize(), Size(576, 1019.52f));
    EXPECT_EQ(h.view()->getFrameSize(), Size(1000, 700));
}

TEST(GLViewTest, WindowKeysAreMappedAndOnlyArrowsRepeat) {
    EngineHarness h(Size(400, 300));
    auto* scene = Scene::create();
    std::string log;
    auto* field = ui::TextField::create("name", "Arial", 20);
    scene->addChild(field);
    scene->addChild(keyListener("l", log));
    h.runScene(scene);
    field->attachWithIME();
    h.type("abc");
    const SDL_Event events[] = {
        keyEvent(SDL_KEYDOWN, SDLK_RETURN),       keyEvent(SDL_KEYDOWN, SDLK_RETURN, 1),
        keyEvent(SDL_KEYUP, SDLK_RETURN),         keyEvent(SDL_KEYDOWN, SDLK_h),
        keyEvent(SDL_KEYDOWN, SDLK_LEFT),         keyEvent(SDL_KEYDOWN, SDLK_LEFT, 1),
        keyEvent(SDL_KEYDOWN, SDLK_F1),           keyEvent(SDL_KEYDOWN, SDLK_BACKSPACE),
        keyEvent(SDL_KEYDOWN, SDLK_BACKSPACE, 1),
    };
    for (const SDL_Event& e : events) {
        h.view()->handleEvent(e);
    }
    // Keys reach the listeners while a field has the focus; held Backspace keeps deleting.
    EXPECT_EQ(log, "l:Enter+ l:Enter- l:H+ l:Left+ l:Left+ l:Back+ ");
    EXPECT_EQ(field->getString(), "a");
}
