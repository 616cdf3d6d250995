#include "harness/EngineHarness.h"

#include "renderer/Renderer.h"

#include <SDL.h>
#include <cmath>
#include <stdexcept>

USING_NS_CC;

EngineHarness::EngineHarness(Size frame, Size design, float step) : step_(step) {
    if (Director::getInstanceIfExists()) {
        Director::getInstance()->purgeDirector(); // a harness always starts from nothing
    }
    view_ = GLView::createHeadless(frame);
    if (!view_) {
        throw std::runtime_error("cannot create a headless view");
    }
    view_->retain();
    Director::getInstance()->setOpenGLView(view_);
    if (design.width > 0 && design.height > 0) {
        view_->setDesignResolutionSize(design.width, design.height, ResolutionPolicy::SHOW_ALL);
    }
    Director::getInstance()->setAnimationInterval(step);
}

EngineHarness::~EngineHarness() {
    if (Director* d = Director::getInstanceIfExists()) {
        d->purgeDirector();
    }
    view_->release();
}

Director* EngineHarness::director() const {
    return Director::getInstance();
}

void EngineHarness::runScene(Scene* scene) {
    director()->runWithScene(scene);
    frame();
}

void EngineHarness::frame(int count) {
    for (int i = 0; i < count && Director::getInstanceIfExists(); ++i) {
        Director::getInstance()->mainLoop(step_);
    }
}

void EngineHarness::advance(float seconds) {
    frame(static_cast<int>(std::lround(seconds / step_)));
}

void EngineHarness::press(const Vec2& point) {
    director()->handleTouchBegan(point);
}

void EngineHarness::moveTo(const Vec2& point) {
    director()->handleTouchMoved(point);
}

void EngineHarness::release(const Vec2& point) {
    director()->handleTouchEnded(point);
}

void EngineHarness::touch(const Vec2& point) {
    press(point);
    release(point);
}

void EngineHarness::drag(const Vec2& from, const Vec2& to, int steps) {
    press(from);
    for (int i = 1; i <= steps; ++i) {
        moveTo(from + (to - from) * (static_cast<float>(i) / steps));
    }
    release(to);
}

void EngineHarness::tap(const Node* node) {
    touch(worldCentre(node));
}

void EngineHarness::type(const std::string& utf8) {
    director()->handleTextInput(utf8);
}

void EngineHarness::backspace() {
    director()->handleBackspace();
}

void EngineHarness::pressKey(EventKeyboard::KeyCode key) {
    view_->handleKey(key, true);
}

void EngineHarness::releaseKey(EventKeyboard::KeyCode key) {
    view_->handleKey(key, false);
}

void EngineHarness::key(EventKeyboard::KeyCode key, bool shift) {
    if (shift) {
        pressKey(EventKeyboard::KeyCode::KEY_LEFT_SHIFT);
    }
    pressKey(key);
    releaseKey(key);
    if (shift) {
        releaseKey(EventKeyboard::KeyCode::KEY_LEFT_SHIFT);
    }
}

namespace {
void collect(Node* node, std::vector<Node*>& out) {
    const auto& children = node->getChildren();
    size_t i = 0;
    for (; i < children.size() && children[i]->getLocalZOrder() < 0; ++i) {
        collect(children[i], out);
    }
    out.push_back(node);
    for (; i < children.size(); ++i) {
        collect(children[i], out);
    }
}
} // namespace

std::vector<Node*> EngineHarness::allNodes() const {
    std::vector<Node*> out;
    Scene* running = director()->getRunningScene();
    if (auto* transition = dynamic_cast<TransitionScene*>(running)) {
        collect(transition->getInScene(), out);
    } else if (running) {
        collect(running, out);
    }
    return out;
}

Node* EngineHarness::findByName(const std::string& name) const {
    return find<Node>([&](Node* n) { return n->getName() == name; });
}

ui::Text* EngineHarness::findText(const std::string& text) const {
    return find<ui::Text>([&](ui::Text* t) { return t->getString() == text; });
}

std::string EngineHarness::textOf(const Node* node) {
    if (auto* field = dynamic_cast<const ui::TextField*>(node)) {
        return field->getDisplayedString();
    }
    if (auto* text = dynamic_cast<const ui::Text*>(node)) {
        return text->getString();
    }
    return "";
}

Vec2 EngineHarness::worldCentre(const Node* node) {
    const Size s = node->getContentSize();
    return node->convertToWorldSpace(Vec2(s.width / 2, s.height / 2));
}

bool EngineHarness::isShown(const Node* node) {
    if (!node->isRunning()) {
        return false;
    }
    for (const Node* n = node; n; n = n->getParent()) {
        if (!n->isVisible()) {
            return false;
        }
    }
    return true;
}

bool EngineHarness::saveFrame(const std::string& pngPath) {
    return director()->saveFrame(pngPath);
}

Color4B EngineHarness::pixelAt(const Vec2& designPoint) {
    frame(); // draws if anything changed
    SDL_Renderer* sdl = view_->getRenderer().getSDLRenderer();
    int w = 0;
    int h = 0;
    SDL_GetRendererOutputSize(sdl, &w, &h);
    // Window points to output pixels (more than one per point on a HiDPI view).
    const Vec2 p = view_->designToFrame(designPoint) * (w / view_->getFrameSize().width);
    const int x = static_cast<int>(std::floor(p.x));
    const int y = static_cast<int>(std::floor(p.y));
    Color4B c;
    if (x < 0 || y < 0 || x >= w || y >= h) {
        return c;
    }
    Uint32 pixel = 0;
    SDL_Rect one{x, y, 1, 1};
    SDL_RenderReadPixels(sdl, &one, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
    c.a = static_cast<uint8_t>(pixel >> 24);
    c.r = static_cast<uint8_t>(pixel >> 16);
    c.g = static_cast<uint8_t>(pixel >> 8);
    c.b = static_cast<uint8_t>(pixel);
    return c;
}
