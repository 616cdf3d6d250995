#include "renderer/FontCache.h"

#include "base/Director.h"
#include "base/FileUtils.h"
#include "base/Log.h"
#include "platform/GLView.h"
#include "renderer/Texture2D.h"

#include <SDL_ttf.h>
#include <cmath>
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
    if (utf8.empty()) {
        out.size = Size(0, TTF_FontHeight(font) / scale);
        return out;
    }
    const SDL_Color white{255, 255, 255, 255};
    const auto wrapPixels = static_cast<Uint32>(std::max(0.0f, std::floor(wrapWidth * scale)));
    SDL_Surface* surface = TTF_RenderUTF8_Blended_Wrapped(font, utf8.c_str(), white, wrapPixels);
    if (!surface) {
        out.size = Size(0, TTF_FontHeight(font) / scale);
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
