#pragma once

#include "orvane/object/Object.h"
#include "orvane/types/String.h"

#include <cstdint>

namespace orvane::freetype {

// Names a font: a family, a style and a size in pixels, plus the face within the file and
// how its glyphs are rasterised. A value: copied into every font made from it.
//
// `family` is a family name the font loader knows ("DejaVu Sans"), a path to a font file,
// or empty for the engine's default family. `style` is "regular", "bold", "oblique" or
// "bold oblique" (case ignored by the loader).
class Descriptor : public object::Object {
public:
    // Rasterising flags (`flags`).
    static constexpr std::int32_t NO_HINTING =
        0x1; // outlines as drawn, not fitted to the pixel grid
    static constexpr std::int32_t MONOCHROME = 0x2; // one-bit coverage (0 or 255), no smoothing

    Descriptor() noexcept;
    Descriptor(const Descriptor& other);
    Descriptor& operator=(const Descriptor& other);

    // Family, style, both sizes, face index and flags all equal (texts by length and bytes).
    bool equals(const Descriptor& other) const noexcept;
    friend bool operator==(const Descriptor& left, const Descriptor& right) noexcept {
        return left.equals(right);
    }

    // family + " " + style.
    types::String getName() const override;
    types::String getClassName() const override;

    types::String family;
    types::String style;
    float sizeX = 16.0f;
    float sizeY = 16.0f;
    // The face within a file that holds several (font collections); 0 for the first.
    std::int32_t faceIndex = 0;
    std::int32_t flags = 0;
};

} // namespace orvane::freetype
