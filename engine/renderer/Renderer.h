#pragma once
// Draws design-space rectangles and textures with SDL's renderer. The viewport maps the design
// resolution into the frame (SHOW_ALL: uniform scale, centred, black bars elsewhere); design y
// grows upward, SDL's downward.

#include "base/Types.h"

#include <SDL_rect.h>

struct SDL_Renderer;

namespace cocos2d {

class Texture2D;

class Renderer {
public:
    explicit Renderer(SDL_Renderer* renderer) : _sdl(renderer) {}

    // In output pixels: the bottom-left corner of the design area, its scale and the frame.
    void setViewport(float left, float bottom, float scale, const Size& designSize,
                     float outputHeight);
    float getScale() const { return _scale; }

    void begin();
    void end();
    void fillRect(const Affine& toWorld, const Size& size, const Color4B& color);
    // Draws the texture stretched over `local` (a rectangle in the node's coordinates).
    void drawTexture(Texture2D* texture, const Affine& toWorld, const Rect& local,
                     const Color3B& color, uint8_t opacity);
    SDL_Renderer* getSDLRenderer() const { return _sdl; }

private:
    struct PixelRect {
        float x, y, w, h;
    };
    PixelRect toPixels(const Affine& toWorld, const Rect& local) const;
    // Clears the frame before its first drawing, which covers the pixels of `opaque` if given.
    void clearUnder(const SDL_FRect* opaque);

    SDL_Renderer* _sdl;
    float _left = 0;
    float _bottom = 0;
    float _scale = 1;
    Size _designSize;
    float _outputHeight = 0;
    SDL_Rect _clip{};
    bool _clearOwed = false;
};

} // namespace cocos2d
