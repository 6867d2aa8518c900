// Fuzz target for the TGA decoder (see driver/ImageTarget.h).

#include "fuzz/driver/ImageTarget.h"
#include "orvane/graphics/TranslatorTGA.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvane::graphics::TranslatorTGA translator;
    return orvane::fuzz::decodeImage(translator, data, size);
}
