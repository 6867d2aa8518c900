// Fuzz target for the PCX decoder (see driver/ImageTarget.h).

#include "fuzz/driver/ImageTarget.h"
#include "orvane/graphics/TranslatorPCX.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvane::graphics::TranslatorPCX translator;
    return orvane::fuzz::decodeImage(translator, data, size);
}
