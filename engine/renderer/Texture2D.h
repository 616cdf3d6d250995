#pragma once
// Pictures. A texture keeps its pixels in memory and makes the renderer's copy on first use, so
// textures can be loaded before a view exists and survive a change of renderer. The cache holds
// one texture per image file for the life of the director.

#include "base/Ref.h"
#include "base/Types.h"

#include <map>
#include <string>

struct SDL_Surface;
struct SDL_Texture;
struct SDL_Renderer;

namespace cocos2d {

class Texture2D : public Ref {
public:
    // Null, with one line logged, when the file cannot be read as an image.
    static Texture2D* createWithFile(const std::string& fullPath);
    // Takes the surface over; null when it is null.
    static Texture2D* createWithSurface(SDL_Surface* surface);
    ~Texture2D() override;

    // In pixels.
    Size getContentSize() const;
    SDL_Texture* getSDLTexture(SDL_Renderer* renderer);
    // Drops every renderer copy; called before a renderer is destroyed.
    static void releaseRendererCopies();

private:
    Texture2D() = default;
    SDL_Surface* _surface = nullptr;
    SDL_Texture* _texture = nullptr;
    SDL_Renderer* _owner = nullptr;
};

class TextureCache {
public:
    TextureCache() = default;
    ~TextureCache();
    TextureCache(const TextureCache&) = delete;
    TextureCache& operator=(const TextureCache&) = delete;

    // The texture of an image file found through the search paths; null if there is none.
    Texture2D* addImage(const std::string& path);
    void removeAllTextures();

private:
    std::map<std::string, Texture2D*> _textures; // by full path, each retained
};

} // namespace cocos2d
