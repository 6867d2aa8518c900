#include "orvane/graphics/ImageDecoding.h"

#include "orvane/io/TranslatorException.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

namespace orvane::graphics {

ImageHolder allocateImage(std::uint32_t format, std::int64_t width, std::int64_t height,
                          PixelMemory memory) {
    if (width < 0 || height < 0)
        throw io::TranslatorFormatException();
    if (width > INT_MAX || height > INT_MAX)
        throw io::TranslatorMemoryException();
    const std::int64_t rowBytes = width * bytesPerPixel(format);
    if (rowBytes > MAXIMUM_IMAGE_BYTES || (rowBytes > 0 && height > MAXIMUM_IMAGE_BYTES / rowBytes))
        throw io::TranslatorMemoryException();
    ImageHolder image(new (std::nothrow) Image(format, std::int32_t(width), std::int32_t(height)));
    if (!image || !(memory == PixelMemory::CLEARED ? image->pixels() : image->pixelsToOverwrite()))
        throw io::TranslatorMemoryException();
    return image;
}

void refuse(const char* format, ...) {
    char text[160];
    std::va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    object::raiseWithDetail(io::TranslatorFormatException(), text);
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

std::uint32_t directColourFormat(int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 15:
        return PixelFormat::RGB15;
    case 16:
        return PixelFormat::RGB16;
    case 24:
        return PixelFormat::BGR24;
    case 32:
        return PixelFormat::BGRA32;
    default:
        return 0;
    }
}

ChannelMask::ChannelMask(std::uint32_t mask) noexcept {
    if (mask == 0)
        return;
    shift = std::countr_zero(mask);
    const int width = std::popcount(mask >> shift);
    const int kept = std::min(width, 8);
    shift += width - kept;
    limit = (1u << kept) - 1;
    for (unsigned v = 0; v <= limit; ++v) {
        unsigned value = 0;
        for (int at = 8 - kept; at > -kept; at -= kept)
            value |= at >= 0 ? v << at : v >> -at;
        widened[v] = std::uint8_t(value);
    }
}

void copyRgb15(std::uint8_t* out, const std::uint8_t* in, std::size_t count) noexcept {
    for (std::size_t i = 0; i < count; ++i) {
        out[2 * i] = in[2 * i];
        out[2 * i + 1] = in[2 * i + 1] & 0x7F;
    }
}

namespace {

// Reads up to count bytes, as many calls as it takes; answers how many came.
std::size_t readFully(io::InputStream* stream, std::uint8_t* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const int got =
            stream->read(buffer + done, int(std::min<std::size_t>(count - done, INT_MAX)));
        if (got <= 0)
            break;
        done += std::size_t(got);
    }
    return done;
}

// Bottom-up rows go through a buffer small enough to stay in the cache, a few rows at a
// time, each then copied to its place: one pass over the image instead of a read
// followed by a flip.
void readBottomUp(io::InputStream* stream, std::uint8_t* pixels, std::size_t rowBytes,
                  std::size_t rows) {
    constexpr std::size_t bufferBytes = 256 << 10;
    const std::size_t rowsAtOnce = std::max<std::size_t>(1, bufferBytes / rowBytes);
    std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[rowsAtOnce * rowBytes]);
    for (std::size_t first = 0; first < rows; first += rowsAtOnce) {
        const std::size_t count = std::min(rowsAtOnce, rows - first);
        const std::size_t got = readFully(stream, buffer.get(), count * rowBytes);
        for (std::size_t i = 0; i < got / rowBytes; ++i)
            std::memcpy(pixels + (rows - 1 - first - i) * rowBytes, buffer.get() + i * rowBytes,
                        rowBytes);
        if (got < count * rowBytes) {
            const std::size_t partial = got % rowBytes;
            std::memcpy(pixels + (rows - 1 - first - got / rowBytes) * rowBytes,
                        buffer.get() + got - partial, partial);
            return;
        }
    }
}

} // namespace

bool readPackedRows(io::InputStream* stream, Image& image, std::int64_t available, bool bottomUp) {
    const std::int64_t bytes = image.pixelBytes();
    if (bytes == 0 || available < bytes)
        return false;
    auto* pixels = static_cast<std::uint8_t*>(image.lock());
    if (bottomUp)
        readBottomUp(stream, pixels, std::size_t(image.getRowBytes()),
                     std::size_t(image.getHeight()));
    else
        readFully(stream, pixels, std::size_t(bytes));
    if (image.getFormat() == PixelFormat::RGB15 || image.getFormat() == PixelFormat::RGB16) {
        for (std::int64_t i = 1; i < bytes; i += 2)
            pixels[i] &= 0x7F;
    }
    image.unlock();
    return true;
}

} // namespace orvane::graphics
