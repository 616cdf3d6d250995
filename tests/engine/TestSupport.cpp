#include "TestSupport.h"

#include <SDL.h>
#include <SDL_image.h>
#include <cstdlib>
#include <map>
#include <stdexcept>

USING_NS_CC;

std::string writePng(const TempDir& dir, const std::string& name, int w, int h, const Color4B& c) {
    const std::string path = dir.file(name);
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_FillRect(s, nullptr, SDL_MapRGBA(s->format, c.r, c.g, c.b, c.a));
    const int rc = IMG_SavePNG(s, path.c_str());
    SDL_FreeSurface(s);
    if (rc != 0) {
        throw std::runtime_error("cannot write " + path);
    }
    return path;
}

Probe* Probe::make(int* destroyed) {
    Probe* p = create();
    p->destroyed = destroyed;
    auto* listener = EventListenerTouchOneByOne::create();
    listener->onTouchBegan = [p](Touch*, Event*) { return ++p->touches > 0; };
    p->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, p);
    p->schedule([p](float) { ++p->ticks; }, 0, CC_REPEAT_FOREVER, 0, "tick");
    return p;
}

Recorder* Recorder::make(bool claim, bool swallow) {
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

Layer* keyListener(const std::string& name, std::string& log, bool stop) {
    using Key = EventKeyboard::KeyCode;
    static const std::map<Key, const char*> names = {{Key::KEY_TAB, "Tab"},
                                                     {Key::KEY_ENTER, "Enter"},
                                                     {Key::KEY_ESCAPE, "Esc"},
                                                     {Key::KEY_BACKSPACE, "Back"},
                                                     {Key::KEY_LEFT_SHIFT, "Shift"},
                                                     {Key::KEY_LEFT_ARROW, "Left"},
                                                     {Key::KEY_H, "H"}};
    Layer* layer = Layer::create();
    auto* listener = EventListenerKeyboard::create();
    auto note = [&log, name](Key key, Event* event, const char* how) {
        const auto known = names.find(key);
        log += name + ":" + (known == names.end() ? "?" : known->second) + how +
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

bool same(const Color4B& a, const Color4B& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

int redInk(EngineHarness& h, float x0, float x1, float y0, float y1) {
    int n = 0;
    for (float x = x0; x < x1; x += 1) {
        for (float y = y0; y <= y1; y += 2) {
            const Color4B c = h.pixelAt(Vec2(x, y));
            n += c.r > 150 && c.g < 60 ? 1 : 0;
        }
    }
    return n;
}

ui::Button* WidgetTest::button(Vec2 at) {
    auto* b = ui::Button::create(writePng(dir, "b.png", 40, 20, Color4B(0, 0, 255, 255)));
    b->setPosition(at);
    scene->addChild(b);
    return b;
}

ui::TextField* WidgetTest::field(const char* placeholder, Vec2 at) {
    auto* f = ui::TextField::create(placeholder, "Arial", 26);
    f->setPosition(at);
    scene->addChild(f);
    return f;
}
