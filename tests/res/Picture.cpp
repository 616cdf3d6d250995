#include "Picture.h"

#include <SDL_image.h>

Picture::Picture(const std::string& name) : _surface(nullptr, SDL_FreeSurface) {
    const std::string path = std::string(KORALITH_RES_DIR) + "/images/" + name + ".png";
    SDL_Surface* raw = IMG_Load(path.c_str());
    if (raw) {
        _surface.reset(SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_RGBA32, 0));
        SDL_FreeSurface(raw);
    }
}

SDL_Color Picture::at(int column, int row) const {
    if (column < 0 || column >= width() || row < 0 || row >= height()) {
        return SDL_Color{0, 0, 0, 0}; // outside: no ink, no wood, nothing drawn
    }
    const auto* p =
        static_cast<const Uint8*>(_surface->pixels) + row * _surface->pitch + column * 4;
    return SDL_Color{p[0], p[1], p[2], p[3]};
}

int Picture::lumaAt(int column, int row) const {
    const SDL_Color c = at(column, row);
    return (299 * c.r + 587 * c.g + 114 * c.b) / 1000;
}
