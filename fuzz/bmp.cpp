// Fuzz target for the BMP decoder (see driver/ImageTarget.h).

#include "fuzz/driver/ImageTarget.h"
#include "orvane/graphics/TranslatorBMP.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvane::graphics::TranslatorBMP translator;
    return orvane::fuzz::decodeImage(translator, data, size);
}
