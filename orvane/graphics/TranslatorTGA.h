#pragma once

#include "orvane/graphics/Image.h"
#include "orvane/io/Translator.h"

namespace orvane::graphics {

// Truevision files of image types 1 (colour-mapped), 2 (true colour) and 10 (run-length
// encoded; with a colour map and 8-bit pixels it yields indices). Pixels of 15/16 bits
// keep blue in the low bits (the engine's 16-bit order, PixelFormat.h) with bit 15
// cleared; 24 and 32-bit pixels stay blue, green, red(, alpha). Bottom-up files (bit 5 of
// the descriptor clear) are turned top row first. Colour maps keep their first 256
// entries. Data missing from a truncated file leaves zeros.
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
