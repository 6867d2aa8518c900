#include "tools/orvane-image/PamImage.h"

#include <cstdio>
#include <string>

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

// Writes one output pixel from one input pixel.
template <class Convert>
void convertPixels(graphics::Image& image, PamImage& pam, Convert convert) {
    const auto* pixels = static_cast<const std::uint8_t*>(image.lock());
    const int inBytes = graphics::bytesPerPixel(image.getFormat());
    std::uint8_t* out = pam.samples.data();
    for (int y = 0; y < image.getHeight(); ++y) {
        const std::uint8_t* in = pixels + std::size_t(y) * std::size_t(image.getRowBytes());
        for (int x = 0; x < image.getWidth(); ++x, in += inBytes, out += pam.depth)
            convert(in, out);
    }
    image.unlock();
}

} // namespace

std::vector<std::uint8_t> PamImage::file() const {
    const std::string header = "P7\nWIDTH " + std::to_string(width) + "\nHEIGHT " +
                               std::to_string(height) + "\nDEPTH " + std::to_string(depth) +
                               "\nMAXVAL 255\nTUPLTYPE " + tupleType() + "\nENDHDR\n";
    std::vector<std::uint8_t> bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), samples.begin(), samples.end());
    return bytes;
}

PamImage toPam(graphics::Image& image) {
    const std::uint32_t format = image.getFormat();
    PamImage pam;
    pam.width = image.getWidth();
    pam.height = image.getHeight();
    pam.depth = format == RGBA32 || format == BGRA32 || format == GREY_ALPHA16 ? 4 : 3;
    const bool known = format == INDEX8 || format == GREY8 || format == RGB15 || format == RGB16 ||
                       format == GREY_ALPHA16 || format == RGB24 || format == BGR24 ||
                       format == RGBA32 || format == BGRA32;
    if (!known || !image.pixels()) {
        char text[64];
        std::snprintf(text, sizeof text, "format 0x%08X has no 8-bit RGB form", unsigned(format));
        throw ConversionException(text);
    }
    pam.samples.resize(std::size_t(pam.width) * std::size_t(pam.height) * std::size_t(pam.depth));

    switch (format) {
    case INDEX8: {
        graphics::Image::ColourPalette palette;
        image.getPalette(&palette);
        convertPixels(image, pam, [&](const std::uint8_t* in, std::uint8_t* out) {
            const std::uint8_t* entry = palette.entry(*in);
            out[0] = entry[0], out[1] = entry[1], out[2] = entry[2];
        });
        break;
    }
    case GREY8:
        convertPixels(image, pam, [](const std::uint8_t* in, std::uint8_t* out) {
            out[0] = out[1] = out[2] = in[0];
        });
        break;
    case GREY_ALPHA16:
        convertPixels(image, pam, [](const std::uint8_t* in, std::uint8_t* out) {
            out[0] = out[1] = out[2] = in[0];
            out[3] = in[1];
        });
        break;
    case RGB15:
    case RGB16: // blue in bits 0-4, green 5-9, red 10-14
        convertPixels(image, pam, [](const std::uint8_t* in, std::uint8_t* out) {
            const unsigned word = unsigned(in[0]) | (unsigned(in[1]) << 8);
            out[0] = widen((word >> 10) & 0x1F);
            out[1] = widen((word >> 5) & 0x1F);
            out[2] = widen(word & 0x1F);
        });
        break;
    case RGB24:
    case RGBA32:
        convertPixels(image, pam, [&](const std::uint8_t* in, std::uint8_t* out) {
            for (int i = 0; i < pam.depth; ++i)
                out[i] = in[i];
        });
        break;
    default: // BGR24, BGRA32
        convertPixels(image, pam, [&](const std::uint8_t* in, std::uint8_t* out) {
            out[0] = in[2], out[1] = in[1], out[2] = in[0];
            if (pam.depth == 4)
                out[3] = in[3];
        });
        break;
    }
    return pam;
}

} // namespace orvane::tools
