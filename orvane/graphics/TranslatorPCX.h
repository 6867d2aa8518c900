#pragma once

#include "orvane/graphics/Image.h"
#include "orvane/io/Translator.h"

namespace orvane::graphics {

// PCX files, run-length encoded scan line by scan line. Each scan line holds every plane's
// `bytes per line` bytes (an even count, often one more than the width needs); only the
// first `width` pixels of a line are kept.
// - one 8-bit plane: palette indices, with the 256-colour palette of the file's last 768
//   bytes;
// - three 8-bit planes: 24-bit red, green, blue;
// - 1, 2 or 4-bit indices, packed in one plane or spread over up to four 1-bit planes:
//   palette indices with the header's 16-colour palette (black and white for one bit).
// Other layouts are refused, with the layout in the detail. A file too short for its
// header (and trailing palette), or holding no pixel data, is refused; data missing from
// a truncated file leaves zeros and marks the image truncated.
class TranslatorPCX : public io::Translator<Image> {
public:
    Image* translate(io::InputStream* stream, int length) override;
    int write(const Image* image, io::OutputStream* stream) override;
    // Byte 0 is 10, the version at most 5, encoding 1, and 1, 2, 4 or 8 bits per pixel.
    bool identify(io::File* file) override;

    types::String getClassName() const override;
};

} // namespace orvane::graphics
