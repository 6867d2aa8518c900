// Fuzz target for the GIF decoder over giflib (see driver/ImageTarget.h).

#include "fuzz/driver/ImageTarget.h"
#include "orvane/graphics/TranslatorGIF.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvane::graphics::TranslatorGIF translator;
    return orvane::fuzz::decodeImage(translator, data, size);
}
