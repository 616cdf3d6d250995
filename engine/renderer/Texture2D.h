#pragma once
// Pictures. A texture keeps its pixels in memory and makes the renderer's copies on first use, so
// textures can be loaded before a view exists and survive a change of renderer. Each copy is
// the picture at one on-screen pixel size, scaled once when first drawn at that size: a frame
// then only copies pixels, and a window whose scale changes gets copies at the new size. The
// cache holds one texture per image file for the life of the director.

#include "base/Ref.h"
#include "base/Types.h"

#include <map>
#include <string>
#include <vector>

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
    // No pixel is even partly transparent: drawn at full opacity it needs no blending.
    bool isOpaque() const { return _opaque; }
    // The renderer's copy of the picture at w x h pixels (smoothly scaled), in its top-left
    // w x h pixels; null if none can be made. A few sizes are kept, the least recently drawn
    // dropped first.
    SDL_Texture* getSDLTexture(SDL_Renderer* renderer, int w, int h);
    // How many scaled pictures were made so far, for tests.
    static unsigned long getScalingsMade();
    // Drops every renderer copy; called before a renderer is destroyed.
    static void releaseRendererCopies();

private:
    struct Copy {
        SDL_Texture* texture;
        int w, h;
    };
    Texture2D() = default;
    SDL_Texture* makeCopy(SDL_Renderer* renderer, int w, int h) const;
    void dropCopies();

    SDL_Surface* _surface = nullptr; // ARGB8888
    bool _opaque = false;
    std::vector<Copy> _copies; // the most recently drawn last
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
