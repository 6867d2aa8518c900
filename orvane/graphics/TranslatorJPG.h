#pragma once

#include "orvane/graphics/Image.h"
#include "orvane/io/Translator.h"

namespace orvane::graphics {

// JPEG pictures, read with libjpeg. Every picture, grey, colour or ink (CMYK, and YCCK,
// which libjpeg turns into CMYK; samples read as Adobe's inverted ones, marker or not),
// becomes a 24-bit red, green, blue image (PixelFormat::RGB24). Any error libjpeg reports
// (not a JPEG, corrupt data, an empty stream) raises TranslatorFormatException with
// libjpeg's words as its detail. A stream that ends early is finished as if its
// end-of-image marker had come: the picture is kept, marked truncated, and libjpeg warns
// on its message output. A picture larger than the allocation cap, or one whose decoding would need
// more than twice the cap of working memory, raises TranslatorMemoryException. A progressive file
// of more than 500 scans (each costs a pass over the whole picture, real files have about ten)
// raises TranslatorFormatException.
//
// The libjpeg state is made afresh for every translate() and freed at its end, whatever
// happened, so one translator decodes any number of files in turn. Errors of the stream
// pass through unchanged.
class TranslatorJPG : public io::Translator<Image> {
public:
    // The length is not used: the file's own markers say where it ends.
    Image* translate(io::InputStream* stream, int length) override;
    int write(const Image* image, io::OutputStream* stream) override;
    // The file starts with a start-of-image marker and the next marker's first byte
    // (FF D8 FF): JFIF, Exif and bare files alike. No other format of the roster starts so.
    bool identify(io::File* file) override;

    types::String getClassName() const override;
};

} // namespace orvane::graphics
