#include "orvane/graphics/TranslatorDDS.h"

#include "orvane/graphics/ImageDecoding.h"
#include "orvane/io/TranslatorException.h"

namespace orvane::graphics {

Image* TranslatorDDS::translate(io::InputStream*, int) {
    throw io::TranslatorFormatException();
}

int TranslatorDDS::write(const Image*, io::OutputStream*) {
    return 0;
}

bool TranslatorDDS::identify(io::File* file) {
    std::uint8_t magic[4];
    return probe(file, magic, 4) && readLittle32(magic) == 0x20534444;
}

types::String TranslatorDDS::getClassName() const {
    return object::classPath(Translator::getClassName(), ":TranslatorDDS");
}

} // namespace orvane::graphics
