#pragma once

#include "orvane/graphics/Image.h"
#include "orvane/io/Translator.h"

namespace orvane::graphics {

// TIFF pictures are recognised, so that they are not mistaken for another format, and never
// decoded.
class TranslatorTIFF : public io::Translator<Image> {
public:
    // Yields no image: always null, nothing is read.
    Image* translate(io::InputStream* stream, int length) override;
    int write(const Image* image, io::OutputStream* stream) override;
    // The file starts with "MM", 0, 42 or "II", 42, 0.
    bool identify(io::File* file) override;

    types::String getClassName() const override;
};

} // namespace orvane::graphics
