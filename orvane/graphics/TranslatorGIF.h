#pragma once

#include "orvane/graphics/Image.h"
#include "orvane/io/Translator.h"

namespace orvane::graphics {

// GIF pictures. Recognised here; decoding comes with its own translator.
class TranslatorGIF : public io::Translator<Image> {
public:
    // Not decoded yet: raises TranslatorFormatException.
    Image* translate(io::InputStream* stream, int length) override;
    int write(const Image* image, io::OutputStream* stream) override;
    // The file starts with "GIF8".
    bool identify(io::File* file) override;

    types::String getClassName() const override;
};

} // namespace orvane::graphics
