#include "renderer/Renderer.h"

#include "renderer/Texture2D.h"

#include <SDL.h>
#include <algorithm>
#include <cmath>

namespace cocos2d {

void Renderer::setViewport(float left, float bottom, float scale, const Size& designSize,
                           float outputHeight) {
    _left = left;
    _bottom = bottom;
    _scale = scale;
    _designSize = designSize;
    _outputHeight = outputHeight;
}

void Renderer::begin() {
    SDL_RenderSetClipRect(_sdl, nullptr);
    SDL_SetRenderDrawColor(_sdl, 0, 0, 0, 255);
    SDL_RenderClear(_sdl);
    // Nothing is drawn over the letterbox bars, even by a scene sliding in from outside.
    SDL_Rect clip;
    clip.x = static_cast<int>(std::lround(_left));
    clip.y = static_cast<int>(std::lround(_outputHeight - _bottom - _designSize.height * _scale));
    clip.w = static_cast<int>(std::lround(_designSize.width * _scale));
    clip.h = static_cast<int>(std::lround(_designSize.height * _scale));
    SDL_RenderSetClipRect(_sdl, &clip);
}

void Renderer::end() {
    SDL_RenderSetClipRect(_sdl, nullptr);
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
    SDL_SetRenderDrawBlendMode(_sdl, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(_sdl, color.r, color.g, color.b, color.a);
    SDL_RenderFillRectF(_sdl, &rect);
}

void Renderer::drawTexture(Texture2D* texture, const Affine& toWorld, const Rect& local,
                           const Color3B& color, uint8_t opacity) {
    if (!texture || opacity == 0) {
        return;
    }
    SDL_Texture* sdlTexture = texture->getSDLTexture(_sdl);
    if (!sdlTexture) {
        return;
    }
    const PixelRect r = toPixels(toWorld, local);
    const SDL_FRect rect{r.x, r.y, r.w, r.h};
    SDL_SetTextureColorMod(sdlTexture, color.r, color.g, color.b);
    SDL_SetTextureAlphaMod(sdlTexture, opacity);
    SDL_RenderCopyF(_sdl, sdlTexture, nullptr, &rect);
}

} // namespace cocos2d
