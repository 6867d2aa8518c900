#pragma once

#include "orvane/graphics/Image.h"
#include "orvane/io/Translator.h"

namespace orvane::graphics {

// JPEG pictures. Recognised here; decoding comes with its own translator.
class TranslatorJPG : public io::Translator<Image> {
public:
    // Not decoded yet: raises TranslatorFormatException.
    Image* translate(io::InputStream* stream, int length) override;
    int write(const Image* image, io::OutputStream* stream) override;
    // The "JFIF" tag lies 6 bytes past the current position (files without it, Exif ones for
    // instance, are not recognised).
    bool identify(io::File* file) override;

    types::String getClassName() const override;
};

} // namespace orvane::graphics
