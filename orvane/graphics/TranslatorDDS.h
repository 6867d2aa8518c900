#pragma once

#include "orvane/graphics/Image.h"
#include "orvane/io/Translator.h"

namespace orvane::graphics {

// DirectDraw surfaces. Recognised here; decoding comes with its own translator.
class TranslatorDDS : public io::Translator<Image> {
public:
    // Not decoded yet: raises TranslatorFormatException.
    Image* translate(io::InputStream* stream, int length) override;
    int write(const Image* image, io::OutputStream* stream) override;
    // The file starts with "DDS ".
    bool identify(io::File* file) override;

    types::String getClassName() const override;
};

} // namespace orvane::graphics
