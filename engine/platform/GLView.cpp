#include "platform/GLView.h"

#include "base/Director.h"
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
}

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
    _frameSize = frameSize;
    const int w = std::max(1, static_cast<int>(std::lround(frameSize.width)));
    const int h = std::max(1, static_cast<int>(std::lround(frameSize.height)));
    _surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    _sdl = _surface ? SDL_CreateSoftwareRenderer(_surface) : nullptr;
    if (!_sdl) {
        engineLog("cannot create the off-screen renderer: %s", SDL_GetError());
        return false;
    }
    return initRenderer();
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
    const float zoom = frameZoomFactor > 0 ? frameZoomFactor : 1.0f;
    _window =
        SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                         static_cast<int>(std::lround(rect.size.width * zoom)),
                         static_cast<int>(std::lround(rect.size.height * zoom)), SDL_WINDOW_SHOWN);
    if (!_window) {
        engineLog("cannot open the window: %s", SDL_GetError());
        return false;
    }
    // SDL's own software renderer, also for the window's frame buffer. Measured on the game's
    // 400 x 708 window: a full board draws in about 4 ms, and only frames that changed are drawn;
    // an OpenGL renderer on Mesa's software rasteriser (any machine without a GPU driver) kept
    // 55 MB of LLVM resident, five times the rest of the game.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    _sdl = SDL_CreateRenderer(_window, -1, SDL_RENDERER_SOFTWARE);
    if (!_sdl) {
        engineLog("cannot create a renderer: %s", SDL_GetError());
        return false;
    }
    return initRenderer();
}

bool GLView::initRenderer() {
    _renderer = std::make_unique<Renderer>(_sdl);
    _designSize = _frameSize;
    updateViewport();
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
    _windowToOutput = _frameSize.width > 0 ? _outputSize.width / _frameSize.width : 1.0f;
    if (_window) {
        int ww = 0;
        int wh = 0;
        SDL_GetWindowSize(_window, &ww, &wh);
        _windowToOutput = ww > 0 ? _outputSize.width / static_cast<float>(ww) : 1.0f;
    }
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
        if (event.key.keysym.sym == SDLK_BACKSPACE) {
            director->handleBackspace();
        }
        break;
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
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        Director::markDirty();
        break;
    default:
        break;
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
