#include "orvane/graphics3d/state/TextureUpload.h"

#include "orvane/graphics/CompressedImage.h"
#include "orvane/graphics/PixelFormat.h"
#include "orvane/graphics3d/state/Context.h"

#include <algorithm>
#include <cstring>

namespace orvane::graphics3d::textureupload {
namespace {

namespace Format = graphics::PixelFormat;
using graphics::Image;
using ImagePointer = object::Pointer<Image>;

bool paletteHasAlpha(const Image::ColourPalette* palette) {
    if (!palette)
        return false;
    for (int i = 0; i < Image::ColourPalette::ENTRIES; ++i)
        if (palette->entry(i)[3] != 0)
            return true;
    return false;
}

// A 565 colour widened to 8 bits a channel, as red, green, blue, alpha.
struct Colour {
    std::uint8_t c[4];
};

Colour widen(unsigned packed) {
    const unsigned red = (packed >> 11) & 31, green = (packed >> 5) & 63, blue = packed & 31;
    return {{std::uint8_t(red << 3 | red >> 2), std::uint8_t(green << 2 | green >> 4),
             std::uint8_t(blue << 3 | blue >> 2), 255}};
}

Colour mix(const Colour& a, const Colour& b, unsigned weightA, unsigned weightB) {
    Colour out{};
    for (int i = 0; i < 3; ++i)
        out.c[i] = std::uint8_t((a.c[i] * weightA + b.c[i] * weightB) / (weightA + weightB));
    out.c[3] = 255;
    return out;
}

unsigned read16(const std::uint8_t* bytes) {
    return unsigned(bytes[0]) | unsigned(bytes[1]) << 8;
}

// The four colours of a DXT colour block; the three-colour mode (first colour not above
// the second) only where DXT1 allows it, with the fourth colour transparent black.
void blockColours(const std::uint8_t* block, bool threeColourMode, Colour colours[4]) {
    const unsigned first = read16(block), second = read16(block + 2);
    colours[0] = widen(first);
    colours[1] = widen(second);
    if (first > second || !threeColourMode) {
        colours[2] = mix(colours[0], colours[1], 2, 1);
        colours[3] = mix(colours[0], colours[1], 1, 2);
    } else {
        colours[2] = mix(colours[0], colours[1], 1, 1);
        colours[3] = Colour{{0, 0, 0, 0}};
    }
}

// The sixteen alphas of a block, row by row: DXT3 stores 4 bits each, DXT5 two end points
// and 3-bit indices into the ramp between them.
void blockAlphas(std::uint32_t format, const std::uint8_t* block, std::uint8_t alphas[16]) {
    if (format == Format::DXT3) {
        for (int i = 0; i < 16; ++i)
            alphas[i] = std::uint8_t(((block[i / 2] >> (4 * (i & 1))) & 15) * 17);
        return;
    }
    const unsigned a0 = block[0], a1 = block[1];
    unsigned ramp[8] = {a0, a1};
    if (a0 > a1) {
        for (unsigned i = 1; i < 7; ++i)
            ramp[i + 1] = ((7 - i) * a0 + i * a1) / 7;
    } else {
        for (unsigned i = 1; i < 5; ++i)
            ramp[i + 1] = ((5 - i) * a0 + i * a1) / 5;
        ramp[6] = 0;
        ramp[7] = 255;
    }
    std::uint64_t bits = 0;
    for (int i = 0; i < 6; ++i)
        bits |= std::uint64_t(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i)
        alphas[i] = std::uint8_t(ramp[(bits >> (3 * i)) & 7]);
}

void decodeBlock(std::uint32_t format, const std::uint8_t* block, Image& out, int x0, int y0,
                 std::uint8_t* pixels) {
    std::uint8_t alphas[16];
    const bool separateAlpha = format != Format::DXT1;
    if (separateAlpha) {
        blockAlphas(format, block, alphas);
        block += 8;
    }
    Colour colours[4];
    blockColours(block, !separateAlpha, colours);
    std::uint32_t indices = std::uint32_t(block[4]) | std::uint32_t(block[5]) << 8 |
                            std::uint32_t(block[6]) << 16 | std::uint32_t(block[7]) << 24;
    for (int y = 0; y < 4 && y0 + y < out.getHeight(); ++y) {
        for (int x = 0; x < 4 && x0 + x < out.getWidth(); ++x) {
            const int i = 4 * y + x;
            Colour colour = colours[(indices >> (2 * i)) & 3];
            if (separateAlpha)
                colour.c[3] = alphas[i];
            std::memcpy(pixels + std::int64_t(y0 + y) * out.getRowBytes() + 4 * (x0 + x), colour.c,
                        4);
        }
    }
}

} // namespace

bool formatsOf(std::uint32_t imageFormat, Formats& formats, bool greyIsAlpha) noexcept {
    switch (imageFormat) {
    case Format::INDEX8:
        formats = {GLint(GL_RGBA8), GL_RGBA};
        return true;
    case Format::GREY8:
        formats = greyIsAlpha ? Formats{GLint(GL_ALPHA8), GL_ALPHA}
                              : Formats{GLint(GL_LUMINANCE8), GL_LUMINANCE};
        return true;
    case Format::GREY_ALPHA16:
        formats = {GLint(GL_LUMINANCE8_ALPHA8), GL_LUMINANCE_ALPHA};
        return true;
    case Format::RGB15:
    case Format::RGB16:
        formats = {GLint(GL_RGB5), GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
        return true;
    case Format::DUDV16:
        formats = {GLint(GL_DU8DV8_ATI), GL_DUDV_ATI};
        return true;
    case Format::RGB24:
        formats = {GLint(GL_RGB8), GL_RGB};
        return true;
    case Format::BGR24:
        formats = {GLint(GL_RGB8), GL_BGR_EXT};
        return true;
    case Format::RGBA32:
        formats = {GLint(GL_RGBA8), GL_RGBA};
        return true;
    case Format::BGRA32:
        formats = {GLint(GL_RGBA8), GL_BGRA_EXT};
        return true;
    case Format::DXT1:
        formats = {GLint(GL_COMPRESSED_RGBA_S3TC_DXT1_EXT), 0, 0, true};
        return true;
    case Format::DXT3:
        formats = {GLint(GL_COMPRESSED_RGBA_S3TC_DXT3_EXT), 0, 0, true};
        return true;
    case Format::DXT5:
        formats = {GLint(GL_COMPRESSED_RGBA_S3TC_DXT5_EXT), 0, 0, true};
        return true;
    default:
        return false;
    }
}

bool imageFormatsOf(std::uint32_t imageFormat, Formats& formats) noexcept {
    if (!formatsOf(imageFormat, formats))
        return false;
    if (formats.internal == GLint(GL_RGB8))
        formats.internal = GLint(GL_RGBA8);
    return true;
}

std::uint32_t imageFormatOf(GLint internalFormat) noexcept {
    switch (internalFormat) {
    case 1:
        return Format::INDEX8;
    case GLint(GL_RGB8):
        return Format::RGB24;
    case GLint(GL_RGBA8):
        return Format::RGBA32;
    case GLint(GL_LUMINANCE8):
    case GLint(GL_ALPHA8):
        return Format::GREY8;
    case GLint(GL_LUMINANCE8_ALPHA8):
        return Format::GREY_ALPHA16;
    default:
        return 0;
    }
}

void setUnpacking(GLint rowLength, GLint skipPixels, GLint skipRows) {
    // Palette images are expanded before they get here, so no colour-index mapping.
    gl.glPixelTransferi(GL_MAP_COLOR, 0);
    gl.glPixelTransferi(GL_MAP_STENCIL, 0);
    gl.glPixelStorei(GL_UNPACK_SWAP_BYTES, 0);
    gl.glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
    gl.glPixelStorei(GL_UNPACK_SKIP_PIXELS, skipPixels);
    gl.glPixelStorei(GL_UNPACK_SKIP_ROWS, skipRows);
    gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

bool takesCompressedLevels() {
    const Context* context = Context::current();
    return context && context->extensions.isSupported("GL_EXT_texture_compression_s3tc") &&
           gl.glCompressedTexImage2DARB;
}

ImagePointer uploadable(Image* image, bool compressedLevels) {
    if (!image)
        return nullptr;
    if (image->getFormat() == Format::INDEX8)
        return expandPalette(image);
    if (graphics::CompressedImage::isCompressed(image->getFormat()) && !compressedLevels)
        return decompress(image);
    return ImagePointer(image);
}

ImagePointer expandPalette(Image* image) {
    const Image::ColourPalette* palette = image->palette();
    const bool alpha = paletteHasAlpha(palette);
    const int size = alpha ? 4 : 3;
    auto expanded = ImagePointer::adopt(
        new Image(alpha ? Format::RGBA32 : Format::RGB24, image->getWidth(), image->getHeight()));
    const auto* source = static_cast<const std::uint8_t*>(image->lock());
    auto* target = static_cast<std::uint8_t*>(expanded->pixelsToOverwrite());
    const bool complete = source && target;
    if (complete) {
        static const std::uint8_t black[4] = {0, 0, 0, 0};
        const std::int64_t count = std::int64_t(image->getWidth()) * image->getHeight();
        for (std::int64_t i = 0; i < count; ++i)
            std::memcpy(target + size * i, palette ? palette->entry(source[i]) : black,
                        std::size_t(size));
    }
    image->unlock();
    return complete ? expanded : nullptr;
}

ImagePointer decompress(Image* image) {
    auto* level = dynamic_cast<graphics::CompressedImage*>(image);
    if (!level || !graphics::CompressedImage::isCompressed(level->getFormat()))
        return nullptr;
    const std::uint32_t format = level->getFormat();
    const int blockBytes = format == Format::DXT1 ? 8 : 16;
    auto decoded =
        ImagePointer::adopt(new Image(Format::RGBA32, level->getWidth(), level->getHeight()));
    const auto* blocks = static_cast<const std::uint8_t*>(level->lock());
    auto* pixels = static_cast<std::uint8_t*>(decoded->pixelsToOverwrite());
    const bool complete = blocks && pixels;
    if (complete) {
        const int across = (level->getWidth() + 3) / 4, down = (level->getHeight() + 3) / 4;
        for (int by = 0; by < down; ++by)
            for (int bx = 0; bx < across; ++bx)
                decodeBlock(format, blocks + (std::int64_t(by) * across + bx) * blockBytes,
                            *decoded, 4 * bx, 4 * by, pixels);
    }
    level->unlock();
    return complete ? decoded : nullptr;
}

} // namespace orvane::graphics3d::textureupload
