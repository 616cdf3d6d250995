#pragma once
// Fonts by family name ("Arial"), found through fontconfig, or by file name (".ttf"/".otf")
// through the search paths; each opened once per size and kept until the director is purged.
// Text is rendered white and tinted by the node's colour when drawn.

#include "base/Types.h"

#include <cstddef>
#include <string>

typedef struct _TTF_Font TTF_Font;

namespace cocos2d {

class Texture2D;

class FontCache {
public:
    // Null (logged once per name) when no font can be found or opened.
    static TTF_Font* getFont(const std::string& name, int pixelSize);
    static void purge();
};

// Texts beyond these are not drawn (the first one refused is logged). SDL_ttf crashes on texts
// of megabytes and lays text out in time growing with its lines times its bytes: 2 KB at most
// and no more lines than 2048 pixels hold keep one text under about 20 ms. A texture is held
// twice (the surface and the renderer's copy); 4 Mpx are 16 MB, over 3 windows of 800 x 1416.
constexpr std::size_t kMaxTextBytes = 2048;
constexpr int kMaxTextTextureWidth = 4096;
constexpr int kMaxTextTextureHeight = 2048;
constexpr long kMaxTextTexturePixels = 4096L * 1024;

// A rendered text: its texture (null when the text is empty, no font was found or the text is
// beyond the limits above) and its size in design units; a text not drawn has the size of an
// empty one. A wrap width above 0 breaks lines to fit it; newlines always break.
struct RenderedText {
    Texture2D* texture = nullptr; // retained by the owner
    Size size;
};
RenderedText renderText(const std::string& utf8, const std::string& fontName, float fontSize,
                        float wrapWidth);

} // namespace cocos2d
