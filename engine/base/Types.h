#pragma once
// Plain value types of the engine: points, sizes, rectangles and colours, in design units.

#include <cstdint>

namespace cocos2d {

struct Vec2 {
    float x = 0;
    float y = 0;
    Vec2() = default;
    Vec2(float xx, float yy) : x(xx), y(yy) {}
    Vec2 operator+(const Vec2& o) const { return {x + o.x, y + o.y}; }
    Vec2 operator-(const Vec2& o) const { return {x - o.x, y - o.y}; }
    Vec2 operator*(float s) const { return {x * s, y * s}; }
    Vec2 operator/(float s) const { return {x / s, y / s}; }
    bool operator==(const Vec2& o) const { return x == o.x && y == o.y; }
    bool operator!=(const Vec2& o) const { return !(*this == o); }
    static const Vec2 ZERO;
};

struct Size {
    float width = 0;
    float height = 0;
    Size() = default;
    Size(float w, float h) : width(w), height(h) {}
    Size operator*(float s) const { return {width * s, height * s}; }
    Size operator/(float s) const { return {width / s, height / s}; }
    bool operator==(const Size& o) const { return width == o.width && height == o.height; }
    bool operator!=(const Size& o) const { return !(*this == o); }
    // As in cocos2d-x, a size serves as a point (its far corner), so `point + size / 2` and
    // `setPosition(size)` work through Vec2's operators. Vec2 has no constructor from Size, so
    // the conversion is never ambiguous.
    operator Vec2() const { return {width, height}; }
    static const Size ZERO;
};

struct Rect {
    Vec2 origin;
    Size size;
    Rect() = default;
    Rect(float x, float y, float w, float h) : origin(x, y), size(w, h) {}
    float getMinX() const { return origin.x; }
    float getMinY() const { return origin.y; }
    float getMaxX() const { return origin.x + size.width; }
    float getMaxY() const { return origin.y + size.height; }
    bool containsPoint(const Vec2& p) const {
        return p.x >= getMinX() && p.x <= getMaxX() && p.y >= getMinY() && p.y <= getMaxY();
    }
};

struct Color3B {
    uint8_t r = 255;
    uint8_t g = 255;
    uint8_t b = 255;
    Color3B() = default;
    Color3B(uint8_t rr, uint8_t gg, uint8_t bb) : r(rr), g(gg), b(bb) {}
    bool operator==(const Color3B& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Color3B& o) const { return !(*this == o); }
    static const Color3B WHITE;
    static const Color3B BLACK;
    static const Color3B RED;
    static const Color3B GRAY;
};

struct Color4B {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    uint8_t a = 0;
    Color4B() = default;
    Color4B(uint8_t rr, uint8_t gg, uint8_t bb, uint8_t aa) : r(rr), g(gg), b(bb), a(aa) {}
    bool operator==(const Color4B& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

// Maps a node's local coordinates to its parent's (or the world's, once composed). Nothing in
// this tree rotates or skews, so a scale and a translation per axis are the whole transform.
struct Affine {
    float sx = 1, sy = 1, tx = 0, ty = 0;
    Vec2 apply(const Vec2& p) const { return {p.x * sx + tx, p.y * sy + ty}; }
    // This transform applied after `inner`.
    Affine operator*(const Affine& inner) const {
        return {sx * inner.sx, sy * inner.sy, sx * inner.tx + tx, sy * inner.ty + ty};
    }
};

} // namespace cocos2d
