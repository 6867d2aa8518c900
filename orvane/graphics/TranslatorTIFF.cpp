#include "orvane/graphics/TranslatorTIFF.h"

#include "orvane/graphics/ImageDecoding.h"

namespace orvane::graphics {

Image* TranslatorTIFF::translate(io::InputStream*, int) {
    return nullptr;
}

int TranslatorTIFF::write(const Image*, io::OutputStream*) {
    return 0;
}

bool TranslatorTIFF::identify(io::File* file) {
    std::uint8_t magic[4];
    if (!probe(file, magic, 4))
        return false;
    const std::uint32_t value = readLittle32(magic);
    return value == 0x2A004D4D || value == 0x002A4949;
}

types::String TranslatorTIFF::getClassName() const {
    return object::classPath(Translator::getClassName(), ":TranslatorTIFF");
}

} // namespace orvane::graphics
