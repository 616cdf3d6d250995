#include "renderer/Renderer.h"

#include "renderer/Texture2D.h"

#include <SDL.h>
#include <algorithm>
#include <cmath>

namespace cocos2d {

namespace {
constexpr float kPixelSlack = 1e-3f;
} // namespace

void Renderer::setViewport(float left, float bottom, float scale, const Size& designSize,
                           float outputHeight) {
    _left = left;
    _bottom = bottom;
    _scale = scale;
    _designSize = designSize;
    _outputHeight = outputHeight;
}

void Renderer::begin() {
    // Nothing is drawn over the letterbox bars, even by a scene sliding in from outside.
    _clip.x = static_cast<int>(std::lround(_left));
    _clip.y = static_cast<int>(std::lround(_outputHeight - _bottom - _designSize.height * _scale));
    _clip.w = static_cast<int>(std::lround(_designSize.width * _scale));
    _clip.h = static_cast<int>(std::lround(_designSize.height * _scale));
    _clearOwed = true;
}

void Renderer::end() {
    clearUnder(nullptr);
    SDL_RenderSetClipRect(_sdl, nullptr);
}

void Renderer::clearUnder(const SDL_FRect* opaque) {
    if (!_clearOwed) {
        return;
    }
    _clearOwed = false;
    // The frame starts black. Scenes mostly begin with an opaque background over the whole
    // design area: then only the bars are cleared, and the area is not filled twice. SDL cuts
    // the fill's corner and size to whole pixels; so does the test.
    const int x = opaque ? static_cast<int>(opaque->x) : 0;
    const int y = opaque ? static_cast<int>(opaque->y) : 0;
    const bool covered = opaque && x <= _clip.x && y <= _clip.y &&
                         x + static_cast<int>(opaque->w) >= _clip.x + _clip.w &&
                         y + static_cast<int>(opaque->h) >= _clip.y + _clip.h;
    SDL_RenderSetClipRect(_sdl, nullptr);
    SDL_SetRenderDrawColor(_sdl, 0, 0, 0, 255);
    if (covered) {
        int w = 0;
        int h = 0;
        SDL_GetRendererOutputSize(_sdl, &w, &h);
        const int right = _clip.x + _clip.w;
        const int bottom = _clip.y + _clip.h;
        const SDL_Rect bars[] = {{0, 0, w, _clip.y},
                                 {0, bottom, w, h - bottom},
                                 {0, _clip.y, _clip.x, _clip.h},
                                 {right, _clip.y, w - right, _clip.h}};
        SDL_SetRenderDrawBlendMode(_sdl, SDL_BLENDMODE_NONE);
        for (const SDL_Rect& bar : bars) {
            if (bar.w > 0 && bar.h > 0) {
                SDL_RenderFillRect(_sdl, &bar);
            }
        }
    } else {
        SDL_RenderClear(_sdl);
    }
    SDL_RenderSetClipRect(_sdl, &_clip);
}

Renderer::PixelRect Renderer::toPixels(const Affine& toWorld, const Rect& local) const {
    const Vec2 a = toWorld.apply(local.origin);
    const Vec2 b = toWorld.apply(Vec2(local.getMaxX(), local.getMaxY()));
    const float x0 = _left + std::min(a.x, b.x) * _scale;
    const float x1 = _left + std::max(a.x, b.x) * _scale;
    const float y0 = _outputHeight - (_bottom + std::max(a.y, b.y) * _scale);
    const float y1 = _outputHeight - (_bottom + std::min(a.y, b.y) * _scale);
    return {x0, y0, x1 - x0, y1 - y0};
}

void Renderer::fillRect(const Affine& toWorld, const Size& size, const Color4B& color) {
    if (color.a == 0 || size.width <= 0 || size.height <= 0) {
        return;
    }
    const PixelRect r = toPixels(toWorld, Rect(0, 0, size.width, size.height));
    const SDL_FRect rect{r.x, r.y, r.w, r.h};
    clearUnder(color.a == 255 ? &rect : nullptr);
    // An opaque fill replaces the pixels: blending it would read each one for nothing.
    SDL_SetRenderDrawBlendMode(_sdl, color.a == 255 ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(_sdl, color.r, color.g, color.b, color.a);
    SDL_RenderFillRectF(_sdl, &rect);
}

void Renderer::drawTexture(Texture2D* texture, const Affine& toWorld, const Rect& local,
                           const Color3B& color, uint8_t opacity) {
    if (!texture || opacity == 0) {
        return;
    }
    const PixelRect r = toPixels(toWorld, local);
    // The picture at its on-screen size, so that drawing only copies pixels. Whole pixels, cut
    // as SDL's software renderer cuts them, so a picture keeps the size and place it had when it
    // was stretched on every draw; a size a float's rounding short of a pixel is that pixel, so
    // a text rendered at its pixel size is never stretched by one.
    const int w = static_cast<int>(r.w + kPixelSlack);
    const int h = static_cast<int>(r.h + kPixelSlack);
    SDL_Texture* sdlTexture = texture->getSDLTexture(_sdl, w, h);
    if (!sdlTexture) {
        return;
    }
    const SDL_FRect rect{r.x, r.y, static_cast<float>(w), static_cast<float>(h)};
    clearUnder(nullptr);
    SDL_SetTextureColorMod(sdlTexture, color.r, color.g, color.b);
    SDL_SetTextureAlphaMod(sdlTexture, opacity);
    SDL_SetTextureBlendMode(sdlTexture, texture->isOpaque() && opacity == 255
                                            ? SDL_BLENDMODE_NONE
                                            : SDL_BLENDMODE_BLEND);
    const SDL_Rect all{0, 0, w, h}; // the copy may have a spare column
    SDL_RenderCopyF(_sdl, sdlTexture, &all, &rect);
}

} // namespace cocos2d
