#pragma once

#include "orvane/freetype/Descriptor.h"
#include "orvane/freetype/Font.h"

#include <string>

namespace orvane::freetype {

// Fills fonts from TrueType and OpenType files through FreeType 2: the 256 codes of
// Latin-1 (the byte value is the Unicode code point) are rasterised at the descriptor's
// size, in pixels, and packed into one 8-bit alpha image, one pixel of space between
// neighbours so that no glyph bleeds into another under filtering. The control codes
// (0 to 31, 127 to 159) and codes the face has no glyph for get empty records.
//
// Files are found without a font configuration service: a descriptor whose family
// contains a '/' names its file; any other family ("DejaVu Sans", or empty for that
// default) is looked up as its name without spaces plus a style suffix ("-Bold",
// "-Oblique" or "-Italic", "-BoldOblique" or "-BoldItalic") in the system's TrueType
// and OpenType folders, where Debian's fonts-dejavu-core puts DejaVu Sans.
//
// Every call runs a FreeType library instance of its own, so loads may happen on any
// thread at once.
class FontLoader {
public:
    static constexpr const char* DEFAULT_FAMILY = "DejaVu Sans";

    // The file a descriptor names, or empty when no such file exists.
    static std::string locate(const Descriptor& descriptor);
    // A new font (the caller owns the creation reference), or null with the reason in
    // *error when the file cannot be found or read, or the size is not positive.
    static Font* load(const Descriptor& descriptor, std::string* error = nullptr);
    // The same from a given file, whatever the descriptor's family says.
    static Font* load(const Descriptor& descriptor, const std::string& path,
                      std::string* error = nullptr);
};

} // namespace orvane::freetype
