#include "renderer/Texture2D.h"

#include "base/FileUtils.h"
#include "base/Log.h"

#include <SDL.h>
#include <SDL_image.h>
#include <algorithm>
#include <set>

namespace cocos2d {

namespace {
// Enough for a picture drawn at two sizes at once, and a window scale changing under it.
constexpr size_t kMaxCopies = 3;

unsigned long s_scalingsMade = 0;

std::set<Texture2D*>& liveTextures() {
    static std::set<Texture2D*> textures;
    return textures;
}

bool everyPixelOpaque(const SDL_Surface* s) {
    for (int y = 0; y < s->h; ++y) {
        const auto* row =
            reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < s->w; ++x) {
            if ((row[x] >> 24) != 0xFF) {
                return false;
            }
        }
    }
    return true;
}
} // namespace

Texture2D* Texture2D::createWithFile(const std::string& fullPath) {
    SDL_Surface* surface = IMG_Load(fullPath.c_str());
    if (!surface) {
        engineLog("cannot load image %s: %s", fullPath.c_str(), IMG_GetError());
        return nullptr;
    }
    return createWithSurface(surface);
}

Texture2D* Texture2D::createWithSurface(SDL_Surface* surface) {
    if (!surface) {
        return nullptr;
    }
    // One format for every picture: the one SDL scales in and the software renderer's own, so
    // that scaling and drawing never convert (a palette's transparent colour becomes alpha 0).
    if (surface->format->format != SDL_PIXELFORMAT_ARGB8888) {
        SDL_Surface* converted = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
        SDL_FreeSurface(surface);
        surface = converted;
        if (!surface) {
            return nullptr;
        }
    }
    auto* texture = new (std::nothrow) Texture2D();
    if (!texture) {
        SDL_FreeSurface(surface);
        return nullptr;
    }
    SDL_SetSurfaceBlendMode(surface, SDL_BLENDMODE_NONE); // copied as it is into its copies
    texture->_surface = surface;
    texture->_opaque = everyPixelOpaque(surface);
    liveTextures().insert(texture);
    texture->autorelease();
    return texture;
}

Texture2D::~Texture2D() {
    liveTextures().erase(this);
    dropCopies();
    SDL_FreeSurface(_surface);
}

Size Texture2D::getContentSize() const {
    return Size(static_cast<float>(_surface->w), static_cast<float>(_surface->h));
}

unsigned long Texture2D::getScalingsMade() {
    return s_scalingsMade;
}

SDL_Texture* Texture2D::makeCopy(SDL_Renderer* renderer, int w, int h) const {
    // An opaque picture is drawn by SDL's row copy, which takes an MMX path when the rows of
    // both pictures lie a multiple of 8 bytes apart; measured here, it draws 20-pixel stones 20
    // times slower than plain copies. A spare column puts the copy's rows 4 bytes further apart.
    const int spare = _opaque ? 1 : 0;
    SDL_Surface* copy =
        SDL_CreateRGBSurfaceWithFormat(0, w + spare, h, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Rect at{0, 0, w, h};
    int failed = -1;
    if (copy && w == _surface->w && h == _surface->h) {
        failed = SDL_BlitSurface(_surface, nullptr, copy, &at);
    } else if (copy) {
        // Bilinear, as SDL's renderer scales each frame with a linear scale quality, so a
        // picture looks as it did when it was stretched on every draw.
        failed = SDL_SoftStretchLinear(_surface, nullptr, copy, &at);
        ++s_scalingsMade;
    }
    SDL_Texture* texture = failed == 0 ? SDL_CreateTextureFromSurface(renderer, copy) : nullptr;
    SDL_FreeSurface(copy);
    return texture;
}

SDL_Texture* Texture2D::getSDLTexture(SDL_Renderer* renderer, int w, int h) {
    if (_owner != renderer) {
        dropCopies();
        _owner = renderer;
    }
    if (!renderer || w <= 0 || h <= 0) {
        return nullptr;
    }
    auto it = std::find_if(_copies.begin(), _copies.end(),
                           [&](const Copy& c) { return c.w == w && c.h == h; });
    if (it != _copies.end()) {
        std::rotate(it, it + 1, _copies.end());
        return _copies.back().texture;
    }
    SDL_Texture* texture = makeCopy(renderer, w, h);
    if (!texture) {
        return nullptr;
    }
    if (_copies.size() == kMaxCopies) {
        SDL_DestroyTexture(_copies.front().texture);
        _copies.erase(_copies.begin());
    }
    _copies.push_back({texture, w, h});
    return texture;
}

void Texture2D::dropCopies() {
    for (const Copy& c : _copies) {
        SDL_DestroyTexture(c.texture);
    }
    _copies.clear();
}

void Texture2D::releaseRendererCopies() {
    for (Texture2D* t : liveTextures()) {
        t->dropCopies();
        t->_owner = nullptr;
    }
}

TextureCache::~TextureCache() {
    removeAllTextures();
}

Texture2D* TextureCache::addImage(const std::string& path) {
    const std::string full = FileUtils::getInstance()->fullPathForFilename(path);
    if (full.empty()) {
        return nullptr;
    }
    auto it = _textures.find(full);
    if (it != _textures.end()) {
        return it->second;
    }
    Texture2D* texture = Texture2D::createWithFile(full);
    if (texture) {
        texture->retain();
        _textures[full] = texture;
    }
    return texture;
}

void TextureCache::removeAllTextures() {
    for (auto& entry : _textures) {
        entry.second->release();
    }
    _textures.clear();
}

} // namespace cocos2d
