#pragma once

#include "orvane/graphics/Image.h"
#include "orvane/io/Translator.h"

namespace orvane::graphics {

// Windows and OS/2 bitmaps: 1, 4 and 8-bit indexed (uncompressed, RLE4, RLE8), 15/16-bit
// colour (blue in the low bits, as every 16-bit format of the engine), 24-bit blue, green,
// red and 32-bit blue, green, red, alpha. Bottom-up and top-down files both come out top
// row first; palettes keep up to 256 entries.
//
// Bit-field files (compression 3, and 6 with an alpha mask; masks after a 40-byte header
// or inside V2 to V5 headers) of 16 and 32 bits: masks that are the plain layout of their
// depth decode as plain files (32-bit ones without an alpha mask made opaque); any other
// masks give BGR24, or BGRA32 with an alpha mask, each channel widened to 8 bits by
// repeating its bits. Other compressions (JPEG, PNG inside a bitmap) are refused.
//
// Refusals carry what was wrong as their detail ("BMP: unsupported compression 4"). A
// file without any pixel data is refused; pixel data missing from a truncated file leaves
// zeros and marks the image truncated; run-length data that describes more pixels than
// the image holds is clipped at the image's edges.
class TranslatorBMP : public io::Translator<Image> {
public:
    Image* translate(io::InputStream* stream, int length) override;
    int write(const Image* image, io::OutputStream* stream) override;
    // The file starts with "BM".
    bool identify(io::File* file) override;

    types::String getClassName() const override;
};

} // namespace orvane::graphics
