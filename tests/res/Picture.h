#pragma once

#include <SDL.h>
#include <memory>
#include <string>

// A picture of res/images read as 8-bit RGBA, for looking at single pixels.
class Picture {
public:
    explicit Picture(const std::string& name); // "chessback" reads res/images/chessback.png
    bool loaded() const { return _surface != nullptr; }
    int width() const { return _surface->w; }
    int height() const { return _surface->h; }
    SDL_Color at(int column, int row) const; // row 0 is the top row; outside: all 0
    int lumaAt(int column, int row) const;   // 0 (black) to 255 (white)

private:
    std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> _surface;
};
