#include "orvane/graphics/TranslatorDDS.h"

#include "orvane/graphics/CompressedImage.h"
#include "orvane/graphics/ImageDecoding.h"
#include "orvane/io/TranslatorException.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <string>
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

// Pixel-format flags.
constexpr std::uint32_t ALPHA_PIXELS = 0x1;
constexpr std::uint32_t FOUR_CC = 0x4;
constexpr std::uint32_t LUMINANCE = 0x20000;

// How stored pixels become the image's.
enum class Conversion {
    COPY,         // stored as the image keeps them
    SWAP,         // red and blue change places (8-bit channels)
    OPAQUE,       // 32-bit pixels whose fourth byte is unused: alpha set to 255
    SWAP_OPAQUE,  // both of the above
    CLEAR_BIT_15, // 5 bits a channel: the engine's 16-bit order, bit 15 cleared
    FROM_565,     // red 5, green 6, blue 5 to the engine's 16-bit order
    WIDEN,        // any other 16-bit masks: each channel widened to 8 bits
};

struct Header {
    std::int32_t width;
    std::int32_t height;
    int levels;
    std::uint32_t format; // of the images made
    int storedBytes;      // a stored pixel's size; 0 for compressed levels
    Conversion conversion;
    std::uint32_t masks[4]; // red, green, blue, alpha (alpha 0 when unused)
};

std::string fourCCText(std::uint32_t code) {
    std::string text;
    for (int i = 0; i < 4; ++i) {
        const char c = char(code >> (8 * i));
        text += c >= 32 && c < 127 ? c : '?';
    }
    return text;
}

bool masksAre(const std::uint32_t* m, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return m[0] == r && m[1] == g && m[2] == b;
}

// Chooses the image format and the conversion from the bit count, all four masks and the
// flags; layouts other than the common ones are refused.
void chooseLayout(Header& header, std::uint32_t flags, std::uint32_t bitCount) {
    const std::uint32_t* m = header.masks;
    const bool alpha = m[3] != 0;
    header.storedBytes = int(bitCount / 8);
    auto choose = [&](std::uint32_t format, Conversion conversion) {
        header.format = format;
        header.conversion = conversion;
    };
    if (flags & LUMINANCE) {
        if (bitCount == 8 && m[0] == 0xFF && !alpha)
            return choose(PixelFormat::GREY8, Conversion::COPY);
        if (bitCount == 16 && m[0] == 0xFF && m[3] == 0xFF00)
            return choose(PixelFormat::GREY_ALPHA16, Conversion::COPY);
    } else if (bitCount == 32 && masksAre(m, 0xFF0000, 0xFF00, 0xFF) &&
               (!alpha || m[3] == 0xFF000000)) {
        return choose(PixelFormat::BGRA32, alpha ? Conversion::COPY : Conversion::OPAQUE);
    } else if (bitCount == 32 && masksAre(m, 0xFF, 0xFF00, 0xFF0000) &&
               (!alpha || m[3] == 0xFF000000)) {
        return choose(PixelFormat::BGRA32, alpha ? Conversion::SWAP : Conversion::SWAP_OPAQUE);
    } else if (bitCount == 24 && masksAre(m, 0xFF0000, 0xFF00, 0xFF) && !alpha) {
        return choose(PixelFormat::BGR24, Conversion::COPY);
    } else if (bitCount == 24 && masksAre(m, 0xFF, 0xFF00, 0xFF0000) && !alpha) {
        return choose(PixelFormat::BGR24, Conversion::SWAP);
    } else if (bitCount == 16 && masksAre(m, 0xF800, 0x07E0, 0x001F) && !alpha) {
        return choose(PixelFormat::RGB16, Conversion::FROM_565);
    } else if (bitCount == 16 && masksAre(m, 0x7C00, 0x03E0, 0x001F) && !alpha) {
        return choose(PixelFormat::RGB16, Conversion::CLEAR_BIT_15);
    } else if (bitCount == 16 && m[0] && m[1] && m[2] && ((m[0] | m[1] | m[2] | m[3]) >> 16) == 0) {
        return choose(PixelFormat::BGRA32, Conversion::WIDEN);
    }
    refuse("DDS: unsupported pixel format of %u bits (masks %08X %08X %08X %08X%s)",
           unsigned(bitCount), unsigned(m[0]), unsigned(m[1]), unsigned(m[2]), unsigned(m[3]),
           flags & LUMINANCE ? ", luminance" : "");
}

Header readHeader(io::InputStream* stream) {
    std::uint8_t bytes[headerBytes];
    if (!readExactly(stream, bytes, headerBytes))
        refuse("DDS: file shorter than its header");
    if (readLittle32(bytes) != magic)
        refuse("DDS: not a DDS file");
    const auto levels = std::int32_t(readLittle32(bytes + 28));
    const std::uint32_t flags = readLittle32(bytes + 80);
    const std::uint32_t code = readLittle32(bytes + 84);
    const std::uint32_t bitCount = readLittle32(bytes + 88);
    Header header{
        .width = std::int32_t(readLittle32(bytes + 16)),
        .height = std::int32_t(readLittle32(bytes + 12)),
        .levels = std::clamp(levels, 1, maximumLevels),
        .format = 0,
        .storedBytes = 0,
        .conversion = Conversion::COPY,
        .masks = {readLittle32(bytes + 92), readLittle32(bytes + 96), readLittle32(bytes + 100),
                  flags & ALPHA_PIXELS ? readLittle32(bytes + 104) : 0},
    };
    switch (code) {
    case fourCC('D', 'X', 'T', '1'):
        header.format = PixelFormat::DXT1;
        return header;
    case fourCC('D', 'X', 'T', '3'):
        header.format = PixelFormat::DXT3;
        return header;
    case fourCC('D', 'X', 'T', '5'):
        header.format = PixelFormat::DXT5;
        return header;
    }
    if ((flags & FOUR_CC) && code != 0)
        refuse("DDS: unsupported compression '%s'", fourCCText(code).c_str());
    chooseLayout(header, flags, bitCount);
    return header;
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

// Bytes the file stores for a level.
std::int64_t storedBytes(Image& level, const Header& header) {
    if (auto* compressed = dynamic_cast<CompressedImage*>(&level))
        return compressed->dataBytes();
    return std::int64_t(level.getWidth()) * level.getHeight() * header.storedBytes;
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

// Brings count stored pixels (in) into the image's format (out). in and out may be the
// same memory for every conversion but WIDEN, which makes larger pixels.
void convertPixels(std::uint8_t* out, const std::uint8_t* in, std::size_t count,
                   const Header& header) {
    switch (header.conversion) {
    case Conversion::COPY:
        if (out != in)
            std::memcpy(out, in, count * std::size_t(header.storedBytes));
        return;
    case Conversion::SWAP:
    case Conversion::SWAP_OPAQUE: {
        const std::size_t step = std::size_t(header.storedBytes);
        for (std::size_t i = 0; i < count; ++i)
            std::swap(out[i * step], out[i * step + 2]);
        if (header.conversion == Conversion::SWAP)
            return;
        [[fallthrough]];
    }
    case Conversion::OPAQUE:
        for (std::size_t i = 0; i < count; ++i)
            out[4 * i + 3] = 0xFF;
        return;
    case Conversion::CLEAR_BIT_15:
        copyRgb15(out, in, count);
        return;
    case Conversion::FROM_565:
        // Red 5, green 6, blue 5: green loses its lowest bit and red moves down one.
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned p = readLittle16(in + 2 * i);
            const unsigned rgb15 = ((p >> 1) & 0x7FE0) | (p & 0x1F);
            out[2 * i] = std::uint8_t(rgb15);
            out[2 * i + 1] = std::uint8_t(rgb15 >> 8);
        }
        return;
    case Conversion::WIDEN: {
        const ChannelMask red(header.masks[0]), green(header.masks[1]), blue(header.masks[2]),
            alpha(header.masks[3]);
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned p = readLittle16(in + 2 * i);
            out[4 * i] = blue(p);
            out[4 * i + 1] = green(p);
            out[4 * i + 2] = red(p);
            out[4 * i + 3] = alpha.present() ? alpha(p) : 0xFF;
        }
        return;
    }
    }
}

// Reads one level's stored bytes into it, converted; answers how many bytes came.
std::int64_t readLevel(io::InputStream* stream, Image& level, const Header& header,
                       std::int64_t remaining) {
    auto* pixels = static_cast<std::uint8_t*>(level.lock());
    const std::int64_t wanted = storedBytes(level, header);
    const std::int64_t allowed = std::clamp<std::int64_t>(remaining, 0, wanted);
    std::int64_t got = 0;
    if (CompressedImage::isCompressed(header.format)) {
        got = readUpTo(stream, pixels, allowed);
    } else if (header.conversion != Conversion::WIDEN) {
        got = readUpTo(stream, pixels, allowed);
        convertPixels(pixels, pixels, std::size_t(got / header.storedBytes), header);
    } else {
        const DataBlock stored = readBlock(stream, allowed);
        got = std::int64_t(stored.size);
        convertPixels(pixels, stored.begin(), stored.size / std::size_t(header.storedBytes),
                      header);
    }
    level.unlock();
    return got;
}

} // namespace

Image* TranslatorDDS::translate(io::InputStream* stream, int length) {
    std::int64_t remaining = std::int64_t(resolveLength(stream, length)) - headerBytes;
    const Header header = readHeader(stream);

    ImageHolder first;
    Image* last = nullptr;
    std::int32_t width = header.width;
    std::int32_t height = header.height;
    bool truncated = false;
    for (int i = 0; i < header.levels; ++i) {
        ImageHolder level = allocateLevel(header.format, width, height);
        const std::int64_t wanted = storedBytes(*level, header);
        if (i == 0 && wanted > 0 && remaining <= 0)
            refuse("DDS: no pixel data");
        const std::int64_t got = readLevel(stream, *level, header, remaining);
        remaining -= got;
        truncated |= got < wanted;

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
    first->setTruncated(truncated);
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
