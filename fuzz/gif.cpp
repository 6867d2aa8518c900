// Fuzz target for the GIF decoder over giflib (see driver/ImageTarget.h).

#include "fuzz/driver/ImageTarget.h"
#include "orvane/graphics/TranslatorGIF.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The logical screen's width and height follow the six signature bytes.
    if (size >= 10 &&
        orvane::fuzz::readLittle(data + 6, 2) * orvane::fuzz::readLittle(data + 8, 2) >
            orvane::fuzz::FUZZ_PIXEL_LIMIT)
        return 0;
    orvane::graphics::TranslatorGIF translator;
    return orvane::fuzz::decodeImage(translator, data, size);
}
