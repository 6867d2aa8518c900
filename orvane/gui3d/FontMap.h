#pragma once

#include "orvane/freetype/Font.h"
#include "orvane/graphics3d/state/Texture2D.h"
#include "orvane/object/Pointer.h"

namespace orvane::gui3d {

// A font made ready to draw: a texture holding the font's image and 256 glyph records in
// texture coordinates, one per character code (the code taken as an unsigned byte).
//
// Keeps its font and texture alive. Belongs to the OpenGL context that was current when it
// was made, like its texture.
class FontMap : public object::Object {
public:
    // What the painter draws for one character code: the glyph's texture rectangle
    // (s0, t0)-(s1, t1), the pen advance, and the box around the pen on the baseline:
    // `top` above it, `bottom` below it, `left` from the pen, `width` wide.
    struct Glyph {
        float s0 = 0, t0 = 0, s1 = 0, t1 = 0;
        float advance = 0;
        float top = 0;
        float left = 0;
        float width = 0;
        float bottom = 0;
    };

    // Glyph records of `font` for a texture of its image at the texture's (power-of-two)
    // size; retains both.
    FontMap(graphics3d::Texture2D* texture, freetype::Font* font);

    // A new font map (the caller owns it) with a texture made in the current OpenGL
    // context from the font's image: its size rounded up to powers of two, no mipmaps,
    // the image in its top-left corner. Null when no texture can be made.
    static FontMap* create(freetype::Font* font);

    types::String getClassName() const override;

    object::Pointer<graphics3d::Texture2D> texture;
    object::Pointer<freetype::Font> font;
    Glyph glyphs[freetype::Font::GLYPH_COUNT];
};

} // namespace orvane::gui3d
