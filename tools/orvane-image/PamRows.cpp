#include "tools/orvane-image/PamRows.h"

#include "orvane/graphics/CompressedImage.h"

#include <cstdio>

namespace orvane::tools {

namespace {

using graphics::PixelFormat::BGR24;
using graphics::PixelFormat::BGRA32;
using graphics::PixelFormat::GREY8;
using graphics::PixelFormat::GREY_ALPHA16;
using graphics::PixelFormat::INDEX8;
using graphics::PixelFormat::RGB15;
using graphics::PixelFormat::RGB16;
using graphics::PixelFormat::RGB24;
using graphics::PixelFormat::RGBA32;

// Five bits to eight, so that 31 becomes 255.
std::uint8_t widen(unsigned five) {
    return std::uint8_t((five << 3) | (five >> 2));
}

bool isKnown(std::uint32_t format) {
    return format == INDEX8 || format == GREY8 || format == RGB15 || format == RGB16 ||
           format == GREY_ALPHA16 || format == RGB24 || format == BGR24 || format == RGBA32 ||
           format == BGRA32;
}

// Converts count pixels of in, one output pixel from each input pixel.
template <class Convert>
void convertPixels(const std::uint8_t* in, std::uint8_t* out, int count, int inBytes, int depth,
                   Convert convert) {
    for (int x = 0; x < count; ++x, in += inBytes, out += depth)
        convert(in, out);
}

} // namespace

PamRows::PamRows(graphics::Image& image)
    : image(image)
    , pixels(nullptr) {
    const std::uint32_t format = image.getFormat();
    const bool compressed = graphics::CompressedImage::isCompressed(format) &&
                            dynamic_cast<graphics::CompressedImage*>(&image);
    samplesPerPixel =
        compressed || format == RGBA32 || format == BGRA32 || format == GREY_ALPHA16 ? 4 : 3;
    if (!(isKnown(format) || compressed) || !image.pixels()) {
        char text[64];
        std::snprintf(text, sizeof text, "format 0x%08X has no 8-bit RGB form", unsigned(format));
        throw ConversionException(text);
    }
    image.getPalette(&palette);
    pixels = static_cast<const std::uint8_t*>(image.lock());
    if (compressed)
        blocks =
            std::make_unique<BlockDecoder>(format, pixels, image.getWidth(), image.getHeight());
}

PamRows::~PamRows() {
    image.unlock();
}

std::string PamRows::header() const {
    return "P7\nWIDTH " + std::to_string(image.getWidth()) + "\nHEIGHT " +
           std::to_string(image.getHeight()) + "\nDEPTH " + std::to_string(samplesPerPixel) +
           "\nMAXVAL 255\nTUPLTYPE " + (samplesPerPixel == 4 ? "RGB_ALPHA" : "RGB") + "\nENDHDR\n";
}

std::size_t PamRows::rowBytes() const {
    return std::size_t(image.getWidth()) * std::size_t(samplesPerPixel);
}

void PamRows::convertRow(int y, std::uint8_t* out) const {
    if (blocks) {
        const std::uint8_t* row = blocks->row(y);
        std::copy(row, row + rowBytes(), out);
        return;
    }
    const std::uint8_t* in = pixels + std::size_t(y) * std::size_t(image.getRowBytes());
    const int width = image.getWidth();
    const int inBytes = graphics::bytesPerPixel(image.getFormat());
    const int depth = samplesPerPixel;
    switch (image.getFormat()) {
    case INDEX8:
        convertPixels(in, out, width, inBytes, depth, [&](const std::uint8_t* p, std::uint8_t* o) {
            const std::uint8_t* entry = palette.entry(*p);
            o[0] = entry[0], o[1] = entry[1], o[2] = entry[2];
        });
        break;
    case GREY8:
        convertPixels(in, out, width, inBytes, depth,
                      [](const std::uint8_t* p, std::uint8_t* o) { o[0] = o[1] = o[2] = p[0]; });
        break;
    case GREY_ALPHA16:
        convertPixels(in, out, width, inBytes, depth, [](const std::uint8_t* p, std::uint8_t* o) {
            o[0] = o[1] = o[2] = p[0];
            o[3] = p[1];
        });
        break;
    case RGB15:
    case RGB16: // blue in bits 0-4, green 5-9, red 10-14
        convertPixels(in, out, width, inBytes, depth, [](const std::uint8_t* p, std::uint8_t* o) {
            const unsigned word = unsigned(p[0]) | (unsigned(p[1]) << 8);
            o[0] = widen((word >> 10) & 0x1F);
            o[1] = widen((word >> 5) & 0x1F);
            o[2] = widen(word & 0x1F);
        });
        break;
    case RGB24:
    case RGBA32:
        std::copy(in, in + rowBytes(), out);
        break;
    default: // BGR24, BGRA32
        convertPixels(in, out, width, inBytes, depth, [&](const std::uint8_t* p, std::uint8_t* o) {
            o[0] = p[2], o[1] = p[1], o[2] = p[0];
            if (depth == 4)
                o[3] = p[3];
        });
        break;
    }
}

} // namespace orvane::tools
