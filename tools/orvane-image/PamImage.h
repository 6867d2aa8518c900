#pragma once

#include "orvane/graphics/Image.h"
#include "orvane/object/Exception.h"

#include <cstdint>
#include <vector>

namespace orvane::tools {

// An image that has no 8-bit RGB form (compressed, or a format the converter does not
// know).
ORVANE_EXCEPTION(ConversionException, object::Exception);

// A picture as a PAM file holds it: 8-bit samples, three (RGB) or four (RGB_ALPHA) a
// pixel, rows top first.
struct PamImage {
    int width = 0;
    int height = 0;
    int depth = 3;
    std::vector<std::uint8_t> samples;

    const char* tupleType() const { return depth == 4 ? "RGB_ALPHA" : "RGB"; }
    // The whole file: header and samples.
    std::vector<std::uint8_t> file() const;
};

// The image's pixels as 8-bit RGB or RGB_ALPHA: indexed images through their palette
// (alpha dropped; no palette reads as black), grey as RGB, 16-bit colour widened to 8 bits
// a channel, blue-first orders turned to red first; formats with alpha keep it. Raises
// ConversionException for other formats.
PamImage toPam(graphics::Image& image);

} // namespace orvane::tools
