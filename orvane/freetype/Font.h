#pragma once

#include "orvane/freetype/Descriptor.h"
#include "orvane/graphics/Image.h"

#include <cstdint>

namespace orvane::freetype {

// A bitmap font: all 256 glyphs of a character set packed into one 8-bit alpha image,
// with the metrics of each character code. FontLoader fills one from a font file; the
// in-scene GUI turns it into a texture with ready-to-draw glyph records (gui3d::FontMap).
class Font : public object::Object {
public:
    // Where a character's glyph lies in `image` and how it sits on the baseline. A code
    // without a glyph has a record of zeros (nothing drawn, no advance).
    struct Glyph {
        std::int32_t x = 0, y = 0;          // top-left corner of its box in the image
        std::int32_t width = 0, height = 0; // the box, in pixels
        float advance = 0;                  // pen advance after the glyph
        std::uint32_t glyphIndex = 0;       // the face's glyph for the code (0: none)
        float bearingX = 0;                 // box's left edge from the pen
        float bearingY = 0;                 // box's top edge above the baseline
    };
    static constexpr int GLYPH_COUNT = 256;

    // An empty image of `size` (width, height), zeroed when first touched.
    Font(const Descriptor& descriptor, const std::int32_t size[2]);
    // An empty 0 x 0 image.
    explicit Font(const Descriptor& descriptor);

    types::String getClassName() const override;

    Descriptor descriptor;
    graphics::Image image;
    Glyph glyphs[GLYPH_COUNT];
    // Line metrics of the face at this size, in pixels: the highest point above and the
    // lowest below the baseline that the face's design allows (descender <= 0), and the
    // distance between two baselines.
    float ascender = 0;
    float descender = 0;
    float lineHeight = 0;
};

} // namespace orvane::freetype
