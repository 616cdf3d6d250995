#include "platform/GLView.h"

#include "base/Director.h"
#include "base/FileUtils.h"
#include "base/Log.h"
#include "platform/Application.h"
#include "renderer/Renderer.h"
#include "renderer/Texture2D.h"

#include <SDL.h>
#include <SDL_image.h>
#include <algorithm>
#include <cmath>

namespace cocos2d {

namespace {
GLContextAttrs s_contextAttrs{8, 8, 8, 8, 24, 8};

using KeyCode = EventKeyboard::KeyCode;

KeyCode keyCodeFor(SDL_Keycode sym) {
    if (sym >= SDLK_a && sym <= SDLK_z) {
        return static_cast<KeyCode>(static_cast<int>(KeyCode::KEY_A) + (sym - SDLK_a));
    }
    switch (sym) {
    case SDLK_ESCAPE:
        return KeyCode::KEY_ESCAPE;
    case SDLK_BACKSPACE:
        return KeyCode::KEY_BACKSPACE;
    case SDLK_TAB:
        return KeyCode::KEY_TAB;
    case SDLK_RETURN:
        return KeyCode::KEY_ENTER;
    case SDLK_KP_ENTER:
        return KeyCode::KEY_KP_ENTER;
    case SDLK_SPACE:
        return KeyCode::KEY_SPACE;
    case SDLK_LSHIFT:
        return KeyCode::KEY_LEFT_SHIFT;
    case SDLK_RSHIFT:
        return KeyCode::KEY_RIGHT_SHIFT;
    case SDLK_LCTRL:
        return KeyCode::KEY_LEFT_CTRL;
    case SDLK_RCTRL:
        return KeyCode::KEY_RIGHT_CTRL;
    case SDLK_LEFT:
        return KeyCode::KEY_LEFT_ARROW;
    case SDLK_RIGHT:
        return KeyCode::KEY_RIGHT_ARROW;
    case SDLK_UP:
        return KeyCode::KEY_UP_ARROW;
    case SDLK_DOWN:
        return KeyCode::KEY_DOWN_ARROW;
    default:
        return KeyCode::KEY_NONE;
    }
}

bool isArrow(KeyCode key) {
    return key == KeyCode::KEY_LEFT_ARROW || key == KeyCode::KEY_RIGHT_ARROW ||
           key == KeyCode::KEY_UP_ARROW || key == KeyCode::KEY_DOWN_ARROW;
}

constexpr unsigned int kShiftBits = 1 | 2;
constexpr unsigned int kCtrlBits = 4 | 8;

unsigned int modifierBit(KeyCode key) {
    switch (key) {
    case KeyCode::KEY_LEFT_SHIFT:
        return 1;
    case KeyCode::KEY_RIGHT_SHIFT:
        return 2;
    case KeyCode::KEY_LEFT_CTRL:
        return 4;
    case KeyCode::KEY_RIGHT_CTRL:
        return 8;
    default:
        return 0;
    }
}
} // namespace

void GLView::setGLContextAttrs(GLContextAttrs& attrs) {
    s_contextAttrs = attrs;
}

GLContextAttrs GLView::getGLContextAttrs() {
    return s_contextAttrs;
}

GLView* GLView::createHeadless(const Size& frameSize) {
    auto* view = new (std::nothrow) GLView();
    if (view && view->initHeadless(frameSize)) {
        view->autorelease();
        return view;
    }
    delete view;
    return nullptr;
}

GLViewImpl* GLViewImpl::createWithRect(const std::string& viewName, const Rect& rect,
                                       float frameZoomFactor) {
    auto* view = new (std::nothrow) GLViewImpl();
    if (view && view->initWithRect(viewName, rect, frameZoomFactor)) {
        view->autorelease();
        return view;
    }
    delete view;
    return nullptr;
}

GLView::~GLView() {
    Texture2D::releaseRendererCopies();
    _renderer.reset();
    if (_sdl) {
        SDL_DestroyRenderer(_sdl);
    }
    if (_surface) {
        SDL_FreeSurface(_surface);
    }
    if (_window) {
        SDL_DestroyWindow(_window);
    }
    if (_subsystems) {
        SDL_QuitSubSystem(_subsystems);
    }
}

bool GLView::initHeadless(const Size& frameSize) {
    // Events only, for the main loop's queue: starting video would probe for a display.
    if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) {
        engineLog("cannot start SDL events: %s", SDL_GetError());
        return false;
    }
    _subsystems = SDL_INIT_EVENTS;
    _designSize = frameSize;
    return resizeHeadless(frameSize);
}

bool GLView::resizeHeadless(const Size& points, float pixelsPerPoint) {
    if (_window) {
        return false;
    }
    const int w = std::max(1, static_cast<int>(std::lround(points.width * pixelsPerPoint)));
    const int h = std::max(1, static_cast<int>(std::lround(points.height * pixelsPerPoint)));
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Renderer* sdl = surface ? SDL_CreateSoftwareRenderer(surface) : nullptr;
    if (!sdl) {
        engineLog("cannot create the off-screen renderer: %s", SDL_GetError());
        if (surface) {
            SDL_FreeSurface(surface);
        }
        return false;
    }
    if (_sdl) {
        Texture2D::releaseRendererCopies(); // they belong to the renderer going away
        _renderer.reset();
        SDL_DestroyRenderer(_sdl);
        SDL_FreeSurface(_surface);
    }
    _surface = surface;
    _sdl = sdl;
    _renderer = std::make_unique<Renderer>(_sdl);
    _frameSize = points;
    updateViewport();
    Director::markDirty();
    return true;
}

bool GLView::initWithRect(const std::string& title, const Rect& rect, float frameZoomFactor) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        engineLog("cannot start SDL video: %s", SDL_GetError());
        return false;
    }
    _subsystems = SDL_INIT_VIDEO | SDL_INIT_EVENTS;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, s_contextAttrs.redBits);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, s_contextAttrs.greenBits);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, s_contextAttrs.blueBits);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, s_contextAttrs.alphaBits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, s_contextAttrs.depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, s_contextAttrs.stencilBits);
    _frameSize = rect.size;
    _frameZoom = frameZoomFactor > 0 ? frameZoomFactor : 1.0f;
    _window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               static_cast<int>(std::lround(rect.size.width * _frameZoom)),
                               static_cast<int>(std::lround(rect.size.height * _frameZoom)),
                               SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!_window) {
        engineLog("cannot open the window: %s", SDL_GetError());
        return false;
    }
    // SDL's own software renderer, also for the window's frame buffer. Measured on the game's
    // 400 x 708 window: a full board draws in about 0.4 ms, and only frames that changed are drawn;
    // an OpenGL renderer on Mesa's software rasteriser (any machine without a GPU driver) kept
    // 55 MB of LLVM resident, five times the rest of the game.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    _sdl = SDL_CreateRenderer(_window, -1, SDL_RENDERER_SOFTWARE);
    if (!_sdl) {
        engineLog("cannot create a renderer: %s", SDL_GetError());
        return false;
    }
    _renderer = std::make_unique<Renderer>(_sdl);
    _designSize = _frameSize;
    updateViewport();
    return true;
}

bool GLView::setIcon(const std::string& filename) const {
    const std::string path = FileUtils::getInstance()->fullPathForFilename(filename); // logs
    if (path.empty()) {
        return false;
    }
    SDL_Surface* icon = IMG_Load(path.c_str());
    if (!icon) {
        engineLog("cannot read the window icon %s: %s", path.c_str(), IMG_GetError());
        return false;
    }
    if (_window) {
        SDL_SetWindowIcon(_window, icon);
    }
    SDL_FreeSurface(icon);
    return true;
}

void GLView::setDesignResolutionSize(float width, float height, ResolutionPolicy) {
    if (width <= 0 || height <= 0) {
        return;
    }
    _designSize = Size(width, height);
    updateViewport();
    Director::markDirty();
}

void GLView::updateViewport() {
    int w = 0;
    int h = 0;
    SDL_GetRendererOutputSize(_sdl, &w, &h);
    _outputSize = Size(static_cast<float>(w), static_cast<float>(h));
    // Mouse events come in window points, drawing goes to output pixels; a headless view's
    // "window" is its frame.
    float points = _frameSize.width;
    if (_window) {
        int ww = 0;
        int wh = 0;
        SDL_GetWindowSize(_window, &ww, &wh);
        points = static_cast<float>(ww);
    }
    _windowToOutput = points > 0 ? _outputSize.width / points : 1.0f;
    _scale =
        std::min(_outputSize.width / _designSize.width, _outputSize.height / _designSize.height);
    _offset = Vec2((_outputSize.width - _designSize.width * _scale) / 2,
                   (_outputSize.height - _designSize.height * _scale) / 2);
    _renderer->setViewport(_offset.x, _offset.y, _scale, _designSize, _outputSize.height);
}

Vec2 GLView::frameToDesign(const Vec2& framePoint) const {
    const float px = framePoint.x * _windowToOutput;
    const float py = _outputSize.height - framePoint.y * _windowToOutput;
    return Vec2((px - _offset.x) / _scale, (py - _offset.y) / _scale);
}

Vec2 GLView::designToFrame(const Vec2& designPoint) const {
    const float px = _offset.x + designPoint.x * _scale;
    const float py = _outputSize.height - (_offset.y + designPoint.y * _scale);
    return Vec2(px / _windowToOutput, py / _windowToOutput);
}

void GLView::present() {
    if (_window) {
        SDL_RenderPresent(_sdl);
    }
}

bool GLView::saveFrame(const std::string& pngPath) {
    if (_surface) {
        SDL_RenderFlush(_sdl);
        return IMG_SavePNG(_surface, pngPath.c_str()) == 0;
    }
    const int w = static_cast<int>(_outputSize.width);
    const int h = static_cast<int>(_outputSize.height);
    SDL_Surface* shot = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    bool ok = shot && SDL_RenderReadPixels(_sdl, nullptr, SDL_PIXELFORMAT_ARGB8888, shot->pixels,
                                           shot->pitch) == 0;
    ok = ok && IMG_SavePNG(shot, pngPath.c_str()) == 0;
    if (shot) {
        SDL_FreeSurface(shot);
    }
    return ok;
}

void GLView::pollEvents() {
    if (!SDL_WasInit(SDL_INIT_EVENTS)) {
        return;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        handleEvent(event);
    }
}

void GLView::handleEvent(const SDL_Event& event) {
    Director* director = Director::getInstance();
    switch (event.type) {
    case SDL_QUIT:
        _shouldClose = true;
        break;
    case SDL_WINDOWEVENT:
        handleWindowEvent(event);
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT && !_mouseDown) {
            _mouseDown = true;
            director->handleTouchBegan(frameToDesign(Vec2(event.button.x, event.button.y)));
        }
        break;
    case SDL_MOUSEMOTION:
        if (_mouseDown) {
            director->handleTouchMoved(frameToDesign(Vec2(event.motion.x, event.motion.y)));
        }
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT && _mouseDown) {
            _mouseDown = false;
            director->handleTouchEnded(frameToDesign(Vec2(event.button.x, event.button.y)));
        }
        break;
    case SDL_TEXTINPUT:
        director->handleTextInput(event.text.text);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const KeyCode key = keyCodeFor(event.key.keysym.sym);
        if (!event.key.repeat || isArrow(key)) {
            handleKey(key, event.type == SDL_KEYDOWN);
        } else if (key == KeyCode::KEY_BACKSPACE) {
            director->handleBackspace(); // held down, it keeps deleting
        }
        break;
    }
    default:
        break;
    }
}

void GLView::handleWindowEvent(const SDL_Event& event) {
    Application* app = Application::getInstance();
    switch (event.window.event) {
    case SDL_WINDOWEVENT_MINIMIZED:
        if (!_minimized) {
            _minimized = true;
            if (app) {
                app->applicationDidEnterBackground();
            }
        }
        break;
    case SDL_WINDOWEVENT_RESTORED:
        if (_minimized) {
            _minimized = false;
            if (app) {
                app->applicationWillEnterForeground();
            }
        }
        Director::markDirty();
        break;
    case SDL_WINDOWEVENT_CLOSE:
        _shouldClose = true;
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        if (_window) {
            int w = 0;
            int h = 0;
            SDL_GetWindowSize(_window, &w, &h);
            _frameSize = Size(static_cast<float>(w), static_cast<float>(h)) / _frameZoom;
            updateViewport();
        }
        Director::markDirty();
        break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN:
        Director::markDirty();
        break;
    default:
        break;
    }
}

void GLView::handleKey(KeyCode keyCode, bool pressed) {
    // Followed also while keys are dropped, so that a Shift held through a slide still counts.
    const unsigned int bit = modifierBit(keyCode);
    _heldModifiers = pressed ? _heldModifiers | bit : _heldModifiers & ~bit;
    if (keyCode == KeyCode::KEY_NONE) {
        return;
    }
    Director* director = Director::getInstance();
    EventKeyboard event(keyCode, pressed, (_heldModifiers & kShiftBits) != 0,
                        (_heldModifiers & kCtrlBits) != 0);
    director->handleKeyboard(&event);
    // As in cocos2d-x: the listeners hear Backspace, and the focused field still deletes.
    if (pressed && keyCode == KeyCode::KEY_BACKSPACE) {
        director->handleBackspace();
    }
}

void GLView::setIMEKeyboardState(bool open) {
    if (!_window) {
        return;
    }
    if (open) {
        SDL_StartTextInput();
    } else {
        SDL_StopTextInput();
    }
}

} // namespace cocos2d
