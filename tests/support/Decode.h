#pragma once

#include "orvane/graphics/Image.h"
#include "orvane/io/MemoryFile.h"
#include "orvane/io/Translator.h"
#include "orvane/io/TranslatorException.h"
#include "orvane/object/Pointer.h"
#include "tests/support/ImageFiles.h"

#include <cstring>
#include <string>

namespace orvane::test {

// Runs a translator over the bytes of a file held in memory.
inline object::Pointer<graphics::Image> decode(io::Translator<graphics::Image>& translator,
                                               const Bytes& file) {
    io::MemoryFile memory(file.data(), file.size());
    return object::Pointer<graphics::Image>::adopt(
        translator.translate(memory.getInputStream(), -1));
}

// The detail of the translator exception that decoding file raises: "" when it raises one
// without detail, "(decoded)" when it raises none.
inline std::string refusalOf(io::Translator<graphics::Image>& translator, const Bytes& file) {
    try {
        decode(translator, file);
    } catch (const io::TranslatorException& e) {
        return e.getDetail().cString();
    }
    return "(decoded)";
}

// A copy of an image's pixel memory.
inline Bytes pixelsOf(graphics::Image& image) {
    const auto* pixels = static_cast<const std::uint8_t*>(image.pixels());
    return Bytes(pixels, pixels + image.pixelBytes());
}

} // namespace orvane::test
