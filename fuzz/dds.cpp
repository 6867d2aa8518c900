// Fuzz target for the DDS decoder: every level of the mipmap chain is read through, the
// compressed ones by the size they claim, so that the sanitizers see every byte.

#include "fuzz/driver/ImageTarget.h"
#include "orvane/graphics/CompressedImage.h"
#include "orvane/graphics/TranslatorDDS.h"

namespace {

void checkLevels(orvane::graphics::Image& image) {
    for (auto* level = &image; level; level = level->nextLevel()) {
        auto* compressed = dynamic_cast<orvane::graphics::CompressedImage*>(level);
        if (!compressed) {
            orvane::fuzz::checkImage(*level);
            continue;
        }
        const auto* blocks = static_cast<const std::uint8_t*>(compressed->pixels());
        if (!blocks)
            std::abort();
        unsigned sum = 0;
        for (std::int64_t i = 0; i < compressed->dataBytes(); i += 61)
            sum += blocks[i];
        if (compressed->dataBytes() > 0)
            sum += blocks[compressed->dataBytes() - 1];
        asm volatile("" : : "r"(sum));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Height at offset 12, width at 16.
    if (size >= 20 &&
        orvane::fuzz::readLittle(data + 12, 4) * orvane::fuzz::readLittle(data + 16, 4) >
            orvane::fuzz::FUZZ_PIXEL_LIMIT)
        return 0;
    orvane::graphics::TranslatorDDS translator;
    orvane::io::MemoryFile file(data, size);
    translator.identify(&file);
    if (file.position() != 0)
        std::abort(); // identify must put the file back
    try {
        orvane::graphics::Image* image = translator.translate(file.getInputStream(), -1);
        checkLevels(*image);
        image->release();
    } catch (const orvane::io::TranslatorFormatException&) {
    } catch (const orvane::io::TranslatorMemoryException&) {
    }
    return 0;
}
