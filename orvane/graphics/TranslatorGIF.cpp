#include "orvane/graphics/TranslatorGIF.h"

#include "orvane/graphics/ImageDecoding.h"
#include "orvane/io/TranslatorException.h"

namespace orvane::graphics {

Image* TranslatorGIF::translate(io::InputStream*, int) {
    throw io::TranslatorFormatException();
}

int TranslatorGIF::write(const Image*, io::OutputStream*) {
    return 0;
}

bool TranslatorGIF::identify(io::File* file) {
    std::uint8_t magic[4];
    return probe(file, magic, 4) && readLittle32(magic) == 0x38464947;
}

types::String TranslatorGIF::getClassName() const {
    return object::classPath(Translator::getClassName(), ":TranslatorGIF");
}

} // namespace orvane::graphics
