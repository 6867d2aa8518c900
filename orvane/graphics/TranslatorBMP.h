#pragma once

#include "orvane/graphics/Image.h"
#include "orvane/io/Translator.h"

namespace orvane::graphics {

// Windows and OS/2 bitmaps: 1, 4 and 8-bit indexed (uncompressed, RLE4, RLE8), 15/16-bit
// colour (blue in the low bits, as every 16-bit format of the engine), 24-bit blue, green,
// red and 32-bit blue, green, red, alpha. Bottom-up and top-down files both come out top
// row first; palettes keep up to 256 entries. Bit-field (compression 3) files are refused.
//
// Pixel data missing from a truncated file leaves zeros; run-length data that describes
// more pixels than the image holds is clipped at the image's edges.
class TranslatorBMP : public io::Translator<Image> {
public:
    Image* translate(io::InputStream* stream, int length) override;
    int write(const Image* image, io::OutputStream* stream) override;
    // The file starts with "BM".
    bool identify(io::File* file) override;

    types::String getClassName() const override;
};

} // namespace orvane::graphics
