#include "harness/EngineHarness.h"

#include <SDL.h>
#include <gtest/gtest.h>

USING_NS_CC;

namespace {
using Key = EventKeyboard::KeyCode;

std::string nameOf(Key key) {
    switch (key) {
    case Key::KEY_TAB:
        return "Tab";
    case Key::KEY_ENTER:
        return "Enter";
    case Key::KEY_ESCAPE:
        return "Esc";
    case Key::KEY_BACKSPACE:
        return "Back";
    case Key::KEY_LEFT_SHIFT:
        return "Shift";
    case Key::KEY_LEFT_ARROW:
        return "Left";
    case Key::KEY_H:
        return "H";
    default:
        return "?";
    }
}

// Adds to `log` what its listener hears: "<name>:<key><+ pressed, - released>", with "^" when
// Shift was held. With `stop`, it keeps Escape from the listeners behind it.
Layer* listening(const std::string& name, std::string& log, bool stop = false) {
    Layer* layer = Layer::create();
    auto* listener = EventListenerKeyboard::create();
    auto note = [&log, name](Key key, Event* event, const char* how) {
        log += name + ":" + nameOf(key) + how +
               (static_cast<EventKeyboard*>(event)->isShiftDown() ? "^ " : " ");
    };
    listener->onKeyPressed = [note, stop](Key key, Event* event) {
        note(key, event, "+");
        if (stop && key == Key::KEY_ESCAPE) {
            event->stopPropagation();
        }
    };
    listener->onKeyReleased = [note](Key key, Event* event) { note(key, event, "-"); };
    layer->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, layer);
    return layer;
}

SDL_Event keyEvent(Uint32 type, SDL_Keycode sym, Uint8 repeat = 0) {
    SDL_Event e{};
    e.type = type;
    e.key.repeat = repeat;
    e.key.keysym.sym = sym;
    return e;
}

struct KeyboardTest : ::testing::Test {
    EngineHarness h{Size(400, 300)};
    Scene* scene = Scene::create();
    std::string log;
};
} // namespace

TEST_F(KeyboardTest, EveryListenerHearsAKeyFrontMostFirstUntilOneStopsIt) {
    scene->addChild(listening("back", log));
    scene->addChild(listening("front", log, true));
    listening("away", log); // not in the running scene
    h.runScene(scene);
    h.key(Key::KEY_TAB);
    EXPECT_EQ(log, "front:Tab+ back:Tab+ front:Tab- back:Tab- ");
    log.clear();
    h.key(Key::KEY_ESCAPE);
    EXPECT_EQ(log, "front:Esc+ front:Esc- back:Esc- ");
}

TEST_F(KeyboardTest, ListenersKnowWhetherShiftIsHeld) {
    scene->addChild(listening("l", log));
    h.runScene(scene);
    h.key(Key::KEY_TAB, true);
    h.key(Key::KEY_TAB);
    EXPECT_EQ(log, "l:Shift+^ l:Tab+^ l:Tab-^ l:Shift- l:Tab+ l:Tab- ");
    log.clear();
    // Pressed during a slide, where keys are dropped, Shift still counts after it.
    auto* next = Scene::create();
    next->addChild(listening("n", log));
    h.director()->replaceScene(TransitionMoveInR::create(0.5f, next));
    h.frame();
    h.pressKey(Key::KEY_LEFT_SHIFT);
    h.key(Key::KEY_TAB);
    EXPECT_EQ(log, "");
    h.advance(0.6f);
    h.key(Key::KEY_TAB);
    EXPECT_EQ(log, "n:Tab+^ n:Tab-^ ");
}

TEST_F(KeyboardTest, NoKeyReachesASceneOnceItsReplacementIsAskedFor) {
    scene->addChild(listening("l", log));
    h.runScene(scene);
    h.director()->replaceScene(Scene::create());
    h.key(Key::KEY_ENTER);
    EXPECT_EQ(log, "");
}

TEST_F(KeyboardTest, WindowKeysAreMappedAndOnlyArrowsRepeat) {
    auto* field = ui::TextField::create("name", "Arial", 20);
    scene->addChild(field);
    scene->addChild(listening("l", log));
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
