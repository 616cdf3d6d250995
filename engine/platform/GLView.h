#pragma once
// The view: the window (or, headless, an off-screen software surface of the same size), the
// renderer that draws into it, and the design resolution. The design resolution is mapped into
// the renderer's output by the SHOW_ALL policy: one uniform scale, centred, black bars where the
// aspect ratios differ. The window can be resized and may have more pixels than points (HiDPI);
// a resize changes the frame size, the scale and the bars, never the design resolution. Mouse
// events (in window points) become touches in design coordinates here, and keys become
// keyboard events.

#include "base/EventKeyboard.h"
#include "base/Ref.h"
#include "base/Types.h"

#include <memory>
#include <string>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Surface;
union SDL_Event;

namespace cocos2d {

class Renderer;

enum class ResolutionPolicy {
    SHOW_ALL = 2,
};

struct GLContextAttrs {
    int redBits;
    int greenBits;
    int blueBits;
    int alphaBits;
    int depthBits;
    int stencilBits;
};

class GLView : public Ref {
public:
    // A view with no window and no display at all (SDL video is never started).
    static GLView* createHeadless(const Size& frameSize);
    ~GLView() override;

    // Read when a window is created: the OpenGL context it asks for.
    static void setGLContextAttrs(GLContextAttrs& attrs);
    static GLContextAttrs getGLContextAttrs();

    // The window's size in points (divided by the zoom factor it was created with).
    const Size& getFrameSize() const { return _frameSize; }
    void setDesignResolutionSize(float width, float height, ResolutionPolicy policy);
    const Size& getDesignResolutionSize() const { return _designSize; }
    // Output pixels per design unit.
    float getRenderScale() const { return _scale; }
    // A point of the window (in points, y down) in design coordinates, and back.
    Vec2 frameToDesign(const Vec2& framePoint) const;
    Vec2 designToFrame(const Vec2& designPoint) const;

    // The window's icon, a picture file found through the search paths; false (logged) when it
    // cannot be read. A headless view only reads it.
    bool setIcon(const std::string& filename) const;

    bool isHeadless() const { return _window == nullptr; }
    // What a window resize does, for a headless view: the off-screen surface becomes `points`
    // times `pixelsPerPoint` pixels (a HiDPI window has 2 on some screens), the frame size
    // becomes `points`. False (logged, nothing changed) when no such surface can be made.
    bool resizeHeadless(const Size& points, float pixelsPerPoint = 1);
    Renderer& getRenderer() { return *_renderer; }
    void present();
    // The picture last rendered (before present) as PNG.
    bool saveFrame(const std::string& pngPath);

    // Takes every pending SDL event (window or headless with events started) and acts on it.
    void pollEvents();
    void handleEvent(const SDL_Event& event);
    // A key pressed or released, as a window delivers it once mapped (the harness calls this).
    void handleKey(EventKeyboard::KeyCode keyCode, bool pressed);
    bool windowShouldClose() const { return _shouldClose; }
    void setIMEKeyboardState(bool open);

protected:
    GLView() = default;
    bool initHeadless(const Size& frameSize);
    bool initWithRect(const std::string& title, const Rect& rect, float frameZoomFactor);
    void updateViewport();
    void handleWindowEvent(const SDL_Event& event);

    SDL_Window* _window = nullptr;
    SDL_Surface* _surface = nullptr;
    SDL_Renderer* _sdl = nullptr;
    std::unique_ptr<Renderer> _renderer;
    unsigned int _subsystems = 0;
    Size _frameSize;
    float _frameZoom = 1;
    Size _designSize;
    Size _outputSize; // pixels
    float _windowToOutput = 1;
    float _scale = 1;
    Vec2 _offset; // bottom-left of the design area, in output pixels
    bool _shouldClose = false;
    bool _mouseDown = false;
    bool _minimized = false;
    unsigned int _heldModifiers = 0; // a bit per Shift and Ctrl key held
};

class GLViewImpl : public GLView {
public:
    // A window of the rectangle's size, titled; null (logged) when no window can be opened.
    static GLViewImpl* createWithRect(const std::string& viewName, const Rect& rect,
                                      float frameZoomFactor = 1.0f);

private:
    GLViewImpl() = default;
};

} // namespace cocos2d
