// Fuzz target for the PNG decoder over libpng (see driver/ImageTarget.h).

#include "fuzz/driver/ImageTarget.h"
#include "orvane/graphics/TranslatorPNG.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvane::graphics::TranslatorPNG translator;
    return orvane::fuzz::decodeImage(translator, data, size);
}
