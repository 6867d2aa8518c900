#pragma once

#include "orvane/graphics/Image.h"
#include "orvane/object/Exception.h"
#include "tools/orvane-image/BlockDecoder.h"

#include <cstdint>
#include <memory>
#include <string>

namespace orvane::tools {

// An image that has no 8-bit RGB form (compressed, or a format the converter does not
// know).
ORVANE_EXCEPTION(ConversionException, object::Exception);

// A picture as a PAM file holds it, produced one row at a time so that no second copy of
// the picture is ever made: 8-bit samples, three (RGB) or four (RGB_ALPHA) a pixel, rows
// top first. Indexed images go through their palette (alpha dropped; no palette reads as
// black), grey becomes RGB, 16-bit colour is widened to 8 bits a channel, blue-first
// orders are turned to red first; formats with alpha keep it. Block-compressed levels
// (graphics::CompressedImage) are decoded four rows at a time into RGB_ALPHA.
//
// The image must outlive the object; its pixels are locked from construction to
// destruction.
class PamRows {
public:
    // Raises ConversionException for formats without an 8-bit RGB form.
    explicit PamRows(graphics::Image& image);
    PamRows(const PamRows&) = delete;
    PamRows& operator=(const PamRows&) = delete;
    ~PamRows();

    // The file's header, up to and including "ENDHDR\n".
    std::string header() const;
    // Bytes of one output row: width x depth.
    std::size_t rowBytes() const;
    int height() const { return image.getHeight(); }
    int depth() const { return samplesPerPixel; }
    // Writes row y (0 on top) of samples into out, rowBytes() long.
    void convertRow(int y, std::uint8_t* out) const;

private:
    graphics::Image& image;
    const std::uint8_t* pixels;
    graphics::Image::ColourPalette palette;
    int samplesPerPixel;
    std::unique_ptr<BlockDecoder> blocks; // for compressed levels only
};

} // namespace orvane::tools
