// Fuzz target for the PNG decoder over libpng (see driver/ImageTarget.h).
//
// Almost every mutation would break a chunk's CRC, and libpng stops at the first broken
// one, before it looks at the chunk's contents. So the input's chunks get their CRCs made
// right before decoding, and the mutations reach the chunk decoders themselves.

#include "fuzz/driver/ImageTarget.h"
#include "orvane/graphics/TranslatorPNG.h"

#include <vector>
#include <zlib.h>

namespace {

std::vector<std::uint8_t> withRightCrcs(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    std::size_t at = 8; // past the signature
    while (at + 12 <= bytes.size()) {
        const std::size_t length = std::size_t(bytes[at]) << 24 | std::size_t(bytes[at + 1]) << 16 |
                                   std::size_t(bytes[at + 2]) << 8 | bytes[at + 3];
        if (length > bytes.size() - at - 12)
            break;
        const uLong crc = crc32(0, bytes.data() + at + 4, uInt(length + 4));
        for (int i = 0; i < 4; ++i)
            bytes[at + 8 + length + std::size_t(i)] = std::uint8_t(crc >> (24 - 8 * i));
        at += length + 12;
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvane::graphics::TranslatorPNG translator;
    const std::vector<std::uint8_t> bytes = withRightCrcs(data, size);
    return orvane::fuzz::decodeImage(translator, bytes.data(), bytes.size());
}
