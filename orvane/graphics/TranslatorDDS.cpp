#include "orvane/graphics/TranslatorDDS.h"

#include "orvane/graphics/CompressedImage.h"
#include "orvane/graphics/ImageDecoding.h"
#include "orvane/io/TranslatorException.h"

#include <algorithm>
#include <climits>
#include <new>
#include <utility>

namespace orvane::graphics {

namespace {

constexpr int headerBytes = 128;
constexpr std::uint32_t magic = 0x20534444; // "DDS "

// A 32-bit size has at most 32 halvings before it reaches 1; more levels than that can
// only be a lying header, and each would cost an image.
constexpr int maximumLevels = 32;

constexpr std::uint32_t fourCC(char a, char b, char c, char d) {
    return std::uint32_t(std::uint8_t(a)) | std::uint32_t(std::uint8_t(b)) << 8 |
           std::uint32_t(std::uint8_t(c)) << 16 | std::uint32_t(std::uint8_t(d)) << 24;
}

struct Header {
    std::int32_t width;
    std::int32_t height;
    int levels;
    std::uint32_t format;
    std::uint32_t redMask;
    std::uint32_t greenMask;
    std::uint32_t blueMask;
};

std::uint32_t formatFor(std::uint32_t code, std::uint32_t bitCount) {
    switch (code) {
    case fourCC('D', 'X', 'T', '1'):
        return PixelFormat::DXT1;
    case fourCC('D', 'X', 'T', '3'):
        return PixelFormat::DXT3;
    case fourCC('D', 'X', 'T', '5'):
        return PixelFormat::DXT5;
    }
    if (bitCount != 16 && bitCount != 24 && bitCount != 32) // no 15-bit surfaces
        throw io::TranslatorFormatException();
    return directColourFormat(int(bitCount));
}

Header readHeader(io::InputStream* stream) {
    std::uint8_t bytes[headerBytes];
    if (!readExactly(stream, bytes, headerBytes) || readLittle32(bytes) != magic)
        throw io::TranslatorFormatException();
    const auto levels = std::int32_t(readLittle32(bytes + 28));
    return Header{
        .width = std::int32_t(readLittle32(bytes + 16)),
        .height = std::int32_t(readLittle32(bytes + 12)),
        .levels = std::clamp(levels, 1, maximumLevels),
        .format = formatFor(readLittle32(bytes + 84), readLittle32(bytes + 88)),
        .redMask = readLittle32(bytes + 92),
        .greenMask = readLittle32(bytes + 96),
        .blueMask = readLittle32(bytes + 100),
    };
}

// A new level with its (zeroed) memory made; the sizes are checked against the cap.
ImageHolder allocateLevel(std::uint32_t format, std::int32_t width, std::int32_t height) {
    if (!CompressedImage::isCompressed(format))
        return allocateImage(format, width, height);
    if (width < 0 || height < 0)
        throw io::TranslatorFormatException();
    if (CompressedImage::dataBytesFor(format, width, height) > MAXIMUM_IMAGE_BYTES)
        throw io::TranslatorMemoryException();
    ImageHolder level(new (std::nothrow) CompressedImage(format, width, height));
    if (!level || !level->pixels())
        throw io::TranslatorMemoryException();
    return level;
}

std::int64_t levelBytes(Image& level) {
    if (auto* compressed = dynamic_cast<CompressedImage*>(&level))
        return compressed->dataBytes();
    return level.pixelBytes();
}

// Reads up to count bytes into out; answers how many came.
std::int64_t readUpTo(io::InputStream* stream, std::uint8_t* out, std::int64_t count) {
    std::int64_t done = 0;
    while (done < count) {
        const int got =
            stream->read(out + done, int(std::min<std::int64_t>(count - done, INT_MAX)));
        if (got <= 0)
            break;
        done += got;
    }
    return done;
}

// Brings stored 16-bit and 32-bit pixels into the engine's channel order (PixelFormat.h).
void convertPixels(std::uint8_t* pixels, std::int64_t bytes, const Header& header) {
    const auto count = std::size_t(bytes / std::max(bytesPerPixel(header.format), 1));
    if (header.format == PixelFormat::RGB16) {
        if (header.greenMask != 0x07E0) {
            copyRgb15(pixels, pixels, count);
            return;
        }
        // Red 5, green 6, blue 5: green loses its lowest bit and red moves down one.
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned p = readLittle16(pixels + 2 * i);
            const unsigned rgb15 = ((p >> 1) & 0x7FE0) | (p & 0x1F);
            pixels[2 * i] = std::uint8_t(rgb15);
            pixels[2 * i + 1] = std::uint8_t(rgb15 >> 8);
        }
        return;
    }
    const bool redFirst = header.redMask == 0xFF && header.blueMask == 0xFF0000;
    const int step = bytesPerPixel(header.format);
    if (redFirst && (header.format == PixelFormat::BGR24 || header.format == PixelFormat::BGRA32))
        for (std::size_t i = 0; i < count; ++i)
            std::swap(pixels[i * std::size_t(step)], pixels[i * std::size_t(step) + 2]);
}

} // namespace

Image* TranslatorDDS::translate(io::InputStream* stream, int length) {
    std::int64_t remaining = std::int64_t(resolveLength(stream, length)) - headerBytes;
    const Header header = readHeader(stream);

    ImageHolder first;
    Image* last = nullptr;
    std::int32_t width = header.width;
    std::int32_t height = header.height;
    for (int i = 0; i < header.levels; ++i) {
        ImageHolder level = allocateLevel(header.format, width, height);
        auto* pixels = static_cast<std::uint8_t*>(level->lock());
        const std::int64_t bytes = levelBytes(*level);
        remaining -= readUpTo(stream, pixels, std::clamp<std::int64_t>(remaining, 0, bytes));
        if (!CompressedImage::isCompressed(header.format))
            convertPixels(pixels, bytes, header);
        level->unlock();

        Image* made = level.get();
        if (last)
            last->setNextLevel(made); // the chain now holds its own reference
        else
            first.reset(level.release());
        last = made;
        if (height > 1)
            height /= 2;
        if (width >= 2)
            width /= 2;
    }
    return first.release();
}

int TranslatorDDS::write(const Image*, io::OutputStream*) {
    return 0;
}

bool TranslatorDDS::identify(io::File* file) {
    std::uint8_t start[4];
    return probe(file, start, 4) && readLittle32(start) == magic;
}

types::String TranslatorDDS::getClassName() const {
    return object::classPath(Translator::getClassName(), ":TranslatorDDS");
}

} // namespace orvane::graphics
