#pragma once

#include "orvane/graphics/Image.h"
#include "orvane/io/Translator.h"

namespace orvane::graphics {

// PNG pictures, read with libpng. The file's samples are brought to 8 bits (16-bit ones
// cut to their high byte; 1, 2 and 4-bit grey levels scaled to 0..255, palette indices of
// those depths widened to a byte each without scaling), transparency (tRNS) becomes an
// alpha channel, a background colour (bKGD) is composed under any alpha (in linear light
// when the file gives its gamma; 16-bit files then at 16 bits, cut afterwards), and a gamma
// (gAMA) is corrected for a 2.2 screen, in that order. A picture that stays indexed has
// its palette corrected, whatever its depth and interlacing (corrections within 5 % of
// none are skipped, as libpng does for samples). The
// format follows the colour type that results: grey PixelFormat::GREY8, grey and alpha
// GREY_ALPHA16, colour RGB24, colour and alpha RGBA32, palette INDEX8. A palette in the
// file is carried as the image's palette (entries (red, green, blue, 0)), also when the
// picture is not indexed.
//
// Any error libpng reports (corrupt or truncated data among them) raises
// TranslatorFormatException with libpng's words as its detail. A picture larger than the allocation
// cap, or wider than 8,388,608 pixels (libpng's row buffers grow with the width), raises
// TranslatorMemoryException before libpng allocates for it; ancillary chunks beyond
// libpng's limits (8 MB each, 1000 in a file) are dropped with a warning. The libpng state
// is made afresh for every translate() and freed at its end, so one translator decodes any
// number of files in turn. Errors of the stream pass through unchanged.
class TranslatorPNG : public io::Translator<Image> {
public:
    // The length is not used: the file's chunks say where it ends.
    Image* translate(io::InputStream* stream, int length) override;
    int write(const Image* image, io::OutputStream* stream) override;
    // The file starts with the eight-byte PNG signature.
    bool identify(io::File* file) override;

    types::String getClassName() const override;
};

} // namespace orvane::graphics
