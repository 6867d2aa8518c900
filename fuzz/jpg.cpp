// Fuzz target for the JPEG decoder over libjpeg (see driver/ImageTarget.h).

#include "fuzz/driver/ImageTarget.h"
#include "orvane/graphics/TranslatorJPG.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvane::graphics::TranslatorJPG translator;
    return orvane::fuzz::decodeImage(translator, data, size);
}
