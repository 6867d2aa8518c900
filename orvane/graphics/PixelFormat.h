#pragma once

#include <cstdint>

namespace orvane::graphics {

// Pixel format codes of Image. Bits 16 to 23 of a code give the pixel size in bits that
// the resize filter reads (8, 16, 24 or 32 for the codes translators produce); storage
// always follows bytesPerPixel() below. Rows are packed: an image's row is width times
// bytesPerPixel() bytes, without padding. Codes outside the table, and 0, have row size 0.
//
// Byte orders are given as stored in memory, first byte first.
//
// The two 16-bit colour codes share one channel order throughout the engine: a
// little-endian 16-bit word with blue in bits 0-4, green in bits 5-9, red in bits 10-14,
// and bit 15 always 0 (translators clear it). This is the order in which BMP, TGA and DDS
// files store their 16-bit pixels, so the same picture saved in any of them decodes to the
// same words, and OpenGL takes it as GL_BGRA with GL_UNSIGNED_SHORT_1_5_5_5_REV.
namespace PixelFormat {
constexpr std::uint32_t INDEX8 = 0x00080006;       // 8-bit palette index
constexpr std::uint32_t GREY8 = 0x0008000D;        // 8-bit alpha or grey
constexpr std::uint32_t RGB15 = 0x00100002;        // 16-bit colour, 5 bits a channel (see above)
constexpr std::uint32_t RGB16 = 0x00100003;        // 16-bit colour, the same layout (see above)
constexpr std::uint32_t GREY_ALPHA16 = 0x0010000F; // grey then alpha, 8 bits each
constexpr std::uint32_t DUDV16 = 0x00100011;       // two signed 8-bit offsets, du then dv
constexpr std::uint32_t RGB24 = 0x00180004;        // red, green, blue
constexpr std::uint32_t BGR24 = 0x00180007;        // blue, green, red
constexpr std::uint32_t RGBA32 = 0x00200001;       // red, green, blue, alpha
constexpr std::uint32_t BGRA32 = 0x00200008;       // blue, green, red, alpha
constexpr std::uint32_t DXT1 = 0x40000040;         // compressed: no row size
constexpr std::uint32_t DXT3 = 0x40000041;
constexpr std::uint32_t DXT5 = 0x40000042;
} // namespace PixelFormat

// Bytes one pixel of the format occupies; 0 for compressed and unknown codes.
constexpr int bytesPerPixel(std::uint32_t format) noexcept {
    switch (format) {
    case 0x00080006:
    case 0x0008000D:
        return 1;
    case 0x00100002:
    case 0x00100003:
    case 0x0010000E:
    case 0x0010000F:
    case 0x00100011:
    case 0x10100017:
        return 2;
    case 0x00180004:
    case 0x00180007:
        return 3;
    case 0x00200001:
    case 0x00200008:
    case 0x00200010:
    case 0x00200012:
    case 0x10200018:
        return 4;
    case 0x00240005:
        return 5;
    case 0x00100009:
    case 0x0010000B:
    case 0x10300014:
    case 0x10300016:
        return 6;
    case 0x0040000A:
    case 0x0040000C:
    case 0x10400013:
    case 0x10400015:
        return 8;
    case 0x3060001A:
    case 0x3060001C:
        return 12;
    case 0x30800019:
    case 0x3080001B:
        return 16;
    default:
        return 0;
    }
}

// The pixel size in bits recorded in the code itself (bits 16 to 23).
constexpr int codedBitsPerPixel(std::uint32_t format) noexcept {
    return int((format >> 16) & 0xFF);
}

} // namespace orvane::graphics
