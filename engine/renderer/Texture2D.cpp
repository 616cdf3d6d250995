#include "renderer/Texture2D.h"

#include "base/FileUtils.h"
#include "base/Log.h"

#include <SDL.h>
#include <SDL_image.h>
#include <set>

namespace cocos2d {

namespace {
std::set<Texture2D*>& liveTextures() {
    static std::set<Texture2D*> textures;
    return textures;
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
    auto* texture = new (std::nothrow) Texture2D();
    if (!texture) {
        SDL_FreeSurface(surface);
        return nullptr;
    }
    texture->_surface = surface;
    liveTextures().insert(texture);
    texture->autorelease();
    return texture;
}

Texture2D::~Texture2D() {
    liveTextures().erase(this);
    if (_texture) {
        SDL_DestroyTexture(_texture);
    }
    SDL_FreeSurface(_surface);
}

Size Texture2D::getContentSize() const {
    return Size(static_cast<float>(_surface->w), static_cast<float>(_surface->h));
}

SDL_Texture* Texture2D::getSDLTexture(SDL_Renderer* renderer) {
    if (_owner != renderer && _texture) {
        SDL_DestroyTexture(_texture);
        _texture = nullptr;
    }
    if (!_texture && renderer) {
        _texture = SDL_CreateTextureFromSurface(renderer, _surface);
        if (_texture) {
            SDL_SetTextureBlendMode(_texture, SDL_BLENDMODE_BLEND);
            SDL_SetTextureScaleMode(_texture, SDL_ScaleModeLinear);
        }
        _owner = renderer;
    }
    return _texture;
}

void Texture2D::releaseRendererCopies() {
    for (Texture2D* t : liveTextures()) {
        if (t->_texture) {
            SDL_DestroyTexture(t->_texture);
            t->_texture = nullptr;
        }
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
