#include "orvane/graphics/TranslatorJPG.h"

#include "orvane/graphics/ImageDecoding.h"
#include "orvane/io/TranslatorException.h"

namespace orvane::graphics {

Image* TranslatorJPG::translate(io::InputStream*, int) {
    throw io::TranslatorFormatException();
}

int TranslatorJPG::write(const Image*, io::OutputStream*) {
    return 0;
}

bool TranslatorJPG::identify(io::File* file) {
    std::uint8_t tag[4];
    return probe(file, tag, 4, 6) && readLittle32(tag) == 0x4649464A;
}

types::String TranslatorJPG::getClassName() const {
    return object::classPath(Translator::getClassName(), ":TranslatorJPG");
}

} // namespace orvane::graphics
