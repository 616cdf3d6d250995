#pragma once
// Fonts by family name ("Arial"), found through fontconfig, or by file name (".ttf"/".otf")
// through the search paths; each opened once per size and kept until the director is purged.
// Text is rendered white and tinted by the node's colour when drawn.

#include "base/Types.h"

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

// A rendered text: its texture (null when the text is empty or no font was found) and its size
// in design units. A wrap width above 0 breaks lines to fit it; newlines always break.
struct RenderedText {
    Texture2D* texture = nullptr; // retained by the owner
    Size size;
};
RenderedText renderText(const std::string& utf8, const std::string& fontName, float fontSize,
                        float wrapWidth);

} // namespace cocos2d
