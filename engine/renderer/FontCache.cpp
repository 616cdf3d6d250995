#include "renderer/FontCache.h"

#include "base/Director.h"
#include "base/FileUtils.h"
#include "base/Log.h"
#include "platform/GLView.h"
#include "renderer/Texture2D.h"

#include <SDL_ttf.h>
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fontconfig/fontconfig.h>
#include <map>
#include <set>

namespace cocos2d {

namespace {

std::map<std::pair<std::string, int>, TTF_Font*>& openFonts() {
    static std::map<std::pair<std::string, int>, TTF_Font*> fonts;
    return fonts;
}

bool endsWith(const std::string& s, const char* suffix) {
    const std::string tail(suffix);
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The font file fontconfig picks for a family name ("" if none).
std::string fontFileForFamily(const std::string& family) {
    static std::map<std::string, std::string> found;
    auto it = found.find(family);
    if (it != found.end()) {
        return it->second;
    }
    static bool initialised = false;
    if (!initialised) {
        if (!FcInit()) {
            return "";
        }
        std::atexit(FcFini); // fontconfig keeps caches until told to let go
        initialised = true;
    }
    std::string file;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
    if (pattern) {
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        FcChar8* path = nullptr;
        if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path) {
            file = reinterpret_cast<const char*>(path);
        }
        if (match) {
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
    }
    found[family] = file;
    return file;
}

struct PixelSize {
    long w = 0;
    long h = 0;
};

bool fitsTexture(const PixelSize& p) {
    return p.w <= kMaxTextTextureWidth && p.h <= kMaxTextTextureHeight &&
           p.w * p.h <= kMaxTextTexturePixels;
}

// A size the text's texture cannot be smaller than, found in linear time, before SDL_ttf's
// slower layout: a line per newline (at least one) and, unwrapped, the width of the widest line.
PixelSize leastSize(TTF_Font* font, const std::string& utf8, bool unwrapped) {
    const long newlines = static_cast<long>(std::count(utf8.begin(), utf8.end(), '\n'));
    PixelSize least;
    least.h = std::max(1L, newlines) * TTF_FontLineSkip(font);
    for (size_t begin = 0; unwrapped && begin < utf8.size();) {
        const size_t end = std::min(utf8.find('\n', begin), utf8.size());
        int w = 0;
        int h = 0;
        if (TTF_SizeUTF8(font, utf8.substr(begin, end - begin).c_str(), &w, &h) == 0) {
            least.w = std::max(least.w, static_cast<long>(w));
        }
        begin = end + 1;
    }
    return least;
}

// Only the first refused text is logged: a server sending nothing else must not fill the log.
void refuse(const char* format, ...) __attribute__((format(printf, 1, 2)));
void refuse(const char* format, ...) {
    static bool logged = false;
    if (logged) {
        return;
    }
    logged = true;
    char what[96];
    va_list args;
    va_start(args, format);
    std::vsnprintf(what, sizeof what, format, args);
    va_end(args);
    engineLog("not drawing %s (limits: %zu bytes, %d x %d pixels, %ld in all); further texts "
              "refused are not logged",
              what, kMaxTextBytes, kMaxTextTextureWidth, kMaxTextTextureHeight,
              kMaxTextTexturePixels);
}

} // namespace

TTF_Font* FontCache::getFont(const std::string& name, int pixelSize) {
    pixelSize = std::max(1, pixelSize);
    auto key = std::make_pair(name, pixelSize);
    auto it = openFonts().find(key);
    if (it != openFonts().end()) {
        return it->second;
    }
    if (!TTF_WasInit() && TTF_Init() != 0) {
        engineLog("cannot start SDL_ttf: %s", TTF_GetError());
        return nullptr;
    }
    const bool isFile = endsWith(name, ".ttf") || endsWith(name, ".otf") || endsWith(name, ".ttc");
    const std::string file =
        isFile ? FileUtils::getInstance()->fullPathForFilename(name) : fontFileForFamily(name);
    TTF_Font* font = file.empty() ? nullptr : TTF_OpenFont(file.c_str(), pixelSize);
    if (!font) {
        static std::set<std::string> reported;
        if (reported.insert(name).second) {
            engineLog("no font for \"%s\"", name.c_str());
        }
    }
    openFonts()[key] = font;
    return font;
}

void FontCache::purge() {
    for (auto& entry : openFonts()) {
        if (entry.second) {
            TTF_CloseFont(entry.second);
        }
    }
    openFonts().clear();
    if (TTF_WasInit()) {
        TTF_Quit();
    }
}

RenderedText renderText(const std::string& utf8, const std::string& fontName, float fontSize,
                        float wrapWidth) {
    // Rendered at the size it will have on screen, so that glyphs are not resampled.
    const GLView* view = Director::getInstance()->getOpenGLView();
    const float scale = view && view->getRenderScale() > 0 ? view->getRenderScale() : 1.0f;
    RenderedText out;
    TTF_Font* font = FontCache::getFont(fontName, static_cast<int>(std::lround(fontSize * scale)));
    if (!font) {
        out.size = Size(0, fontSize);
        return out;
    }
    out.size = Size(0, TTF_FontHeight(font) / scale);
    if (utf8.empty()) {
        return out;
    }
    if (utf8.size() > kMaxTextBytes) {
        refuse("a text of %zu bytes", utf8.size());
        return out;
    }
    const auto wrapPixels = static_cast<Uint32>(std::max(0.0f, std::floor(wrapWidth * scale)));
    const PixelSize least = leastSize(font, utf8, wrapPixels == 0);
    if (!fitsTexture(least)) {
        refuse("a text of at least %ld x %ld pixels", least.w, least.h);
        return out;
    }
    const SDL_Color white{255, 255, 255, 255};
    SDL_Surface* surface = TTF_RenderUTF8_Blended_Wrapped(font, utf8.c_str(), white, wrapPixels);
    if (!surface) {
        return out;
    }
    if (!fitsTexture({surface->w, surface->h})) {
        refuse("a text of %d x %d pixels", surface->w, surface->h);
        SDL_FreeSurface(surface);
        return out;
    }
    out.size = Size(surface->w / scale, surface->h / scale);
    out.texture = Texture2D::createWithSurface(surface);
    if (out.texture) {
        out.texture->retain();
    }
    return out;
}

} // namespace cocos2d
