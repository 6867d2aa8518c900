#include "orvane/graphics/ImageDecoding.h"

#include "orvane/io/TranslatorException.h"

#include <algorithm>
#include <climits>
#include <new>

namespace orvane::graphics {

ImageHolder allocateImage(std::uint32_t format, std::int64_t width, std::int64_t height) {
    if (width < 0 || height < 0)
        throw io::TranslatorFormatException();
    if (width > INT_MAX || height > INT_MAX)
        throw io::TranslatorMemoryException();
    const std::int64_t rowBytes = width * bytesPerPixel(format);
    if (rowBytes > MAXIMUM_IMAGE_BYTES || (rowBytes > 0 && height > MAXIMUM_IMAGE_BYTES / rowBytes))
        throw io::TranslatorMemoryException();
    ImageHolder image(new (std::nothrow) Image(format, std::int32_t(width), std::int32_t(height)));
    if (!image || !image->pixels())
        throw io::TranslatorMemoryException();
    return image;
}

DataBlock readBlock(io::InputStream* stream, std::int64_t count) {
    DataBlock block;
    if (count <= 0)
        return block;
    if (count > MAXIMUM_IMAGE_BYTES)
        throw io::TranslatorMemoryException();
    block.bytes.reset(new (std::nothrow) std::uint8_t[std::size_t(count)]);
    if (!block.bytes)
        throw io::TranslatorMemoryException();
    while (block.size < std::size_t(count)) {
        const std::size_t wanted = std::min<std::size_t>(std::size_t(count) - block.size, INT_MAX);
        const int got = stream->read(block.bytes.get() + block.size, int(wanted));
        if (got <= 0)
            break;
        block.size += std::size_t(got);
    }
    return block;
}

bool readExactly(io::InputStream* stream, void* buffer, int count) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    int done = 0;
    while (done < count) {
        const int got = stream->read(out + done, count - done);
        if (got <= 0)
            return false;
        done += got;
    }
    return true;
}

bool skipForward(io::InputStream* stream, std::int64_t count) {
    while (count > 0) {
        const int step = int(std::min<std::int64_t>(count, INT_MAX));
        const int moved = stream->skip(step);
        if (moved <= 0)
            return false;
        count -= moved;
    }
    return true;
}

void copyRgb15(std::uint8_t* out, const std::uint8_t* in, std::size_t count) noexcept {
    for (std::size_t i = 0; i < count; ++i) {
        out[2 * i] = in[2 * i];
        out[2 * i + 1] = in[2 * i + 1] & 0x7F;
    }
}

} // namespace orvane::graphics
