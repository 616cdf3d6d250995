#include "TestSupport.h"

#include <SDL.h>
#include <SDL_image.h>
#include <stdexcept>

std::string writePng(const TempDir& dir, const std::string& name, int w, int h,
                     const cocos2d::Color4B& c) {
    const std::string path = dir.file(name);
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_FillRect(s, nullptr, SDL_MapRGBA(s->format, c.r, c.g, c.b, c.a));
    const int rc = IMG_SavePNG(s, path.c_str());
    SDL_FreeSurface(s);
    if (rc != 0) {
        throw std::runtime_error("cannot write " + path);
    }
    return path;
}
