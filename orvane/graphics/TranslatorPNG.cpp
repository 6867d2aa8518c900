#include "orvane/graphics/TranslatorPNG.h"

#include "orvane/graphics/ImageDecoding.h"
#include "orvane/io/TranslatorException.h"

#include <algorithm>

namespace orvane::graphics {

Image* TranslatorPNG::translate(io::InputStream*, int) {
    throw io::TranslatorFormatException();
}

int TranslatorPNG::write(const Image*, io::OutputStream*) {
    return 0;
}

bool TranslatorPNG::identify(io::File* file) {
    static constexpr std::uint8_t signature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    std::uint8_t start[8];
    return probe(file, start, 8) && std::equal(start, start + 8, signature);
}

types::String TranslatorPNG::getClassName() const {
    return object::classPath(Translator::getClassName(), ":TranslatorPNG");
}

} // namespace orvane::graphics
