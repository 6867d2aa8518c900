#pragma once

#include "orvane/graphics/Image.h"
#include "orvane/io/Translator.h"

namespace orvane::graphics {

// Truevision files of image types 1 (colour-mapped), 2 (true colour), 3 (grey) and their
// run-length encoded forms 9, 10 and 11; colour-mapped files of up to 8 bits give
// indices, grey ones GREY8 (8 bits) or GREY_ALPHA16 (16 bits). Pixels of 15/16 bits keep
// blue in the low bits (the engine's 16-bit order, PixelFormat.h) with bit 15 cleared; 24
// and 32-bit pixels stay blue, green, red(, alpha). Bottom-up files (bit 5 of the
// descriptor clear) are turned top row first, right-to-left ones (bit 4 set) are mirrored.
// Colour maps keep their first 256 entries. Refusals carry what was wrong as their
// detail; a file without any pixel data is refused; data missing from a truncated file
// leaves zeros and marks the image truncated.
class TranslatorTGA : public io::Translator<Image> {
public:
    Image* translate(io::InputStream* stream, int length) override;
    int write(const Image* image, io::OutputStream* stream) override;
    // A weak test: byte 1 (colour-map type) is 0 or 1 and byte 2 (image type) at most 11.
    // Rosters ask it after every translator with a real signature.
    bool identify(io::File* file) override;

    types::String getClassName() const override;
};

} // namespace orvane::graphics
