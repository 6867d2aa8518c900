#include "orvane/graphics3d/state/TextureUpload.h"
#include "orvane/graphics/CompressedImage.h"
#include "orvane/graphics/PixelFormat.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

namespace orvane::graphics3d {
namespace {

namespace Format = graphics::PixelFormat;
using graphics::CompressedImage;
using graphics::Image;
using Rgba = std::array<int, 4>;

Rgba pixelAt(Image& image, int x, int y) {
    const auto* p = static_cast<const std::uint8_t*>(image.pixels()) + y * image.getRowBytes() +
                    x * graphics::bytesPerPixel(image.getFormat());
    return {p[0], p[1], p[2], graphics::bytesPerPixel(image.getFormat()) == 4 ? p[3] : -1};
}

object::Pointer<CompressedImage> level(std::uint32_t format, int width, int height,
                                       const std::vector<std::uint8_t>& data) {
    auto image =
        object::Pointer<CompressedImage>::adopt(new CompressedImage(format, width, height));
    EXPECT_EQ(image->dataBytes(), std::int64_t(data.size()));
    std::memcpy(image->pixels(), data.data(), data.size());
    return image;
}

TEST(TextureUpload, PaletteImagesTakeTheirPalettesColoursAndAlphaWhereItHasAny) {
    auto indexed = object::Pointer<Image>::adopt(new Image(Format::INDEX8, 3, 2));
    const std::uint8_t indices[6] = {0, 1, 2, 2, 1, 0};
    std::memcpy(indexed->pixels(), indices, 6);
    Image::ColourPalette palette;
    palette.set(0, 255, 0, 0, 0);
    palette.set(1, 0, 255, 0, 0);
    palette.set(2, 1, 2, 3, 0);
    indexed->setPalette(&palette);
    auto rgb = textureupload::expandPalette(indexed.get());
    ASSERT_TRUE(rgb);
    EXPECT_EQ(rgb->getFormat(), Format::RGB24);
    EXPECT_EQ(pixelAt(*rgb, 0, 0), (Rgba{255, 0, 0, -1}));
    EXPECT_EQ(pixelAt(*rgb, 2, 0), (Rgba{1, 2, 3, -1}));
    EXPECT_EQ(pixelAt(*rgb, 1, 1), (Rgba{0, 255, 0, -1}));

    palette.set(1, 0, 255, 0, 200); // one entry with alpha: every entry keeps its own
    indexed->setPalette(&palette);
    auto rgba = textureupload::uploadable(indexed.get(), true);
    ASSERT_TRUE(rgba);
    EXPECT_EQ(rgba->getFormat(), Format::RGBA32);
    EXPECT_EQ(pixelAt(*rgba, 1, 0), (Rgba{0, 255, 0, 200}));
    EXPECT_EQ(pixelAt(*rgba, 0, 0), (Rgba{255, 0, 0, 0}));
    EXPECT_FALSE(indexed->isLocked());

    auto bare = object::Pointer<Image>::adopt(new Image(Format::INDEX8, 1, 1));
    auto black = textureupload::expandPalette(bare.get());
    ASSERT_TRUE(black);
    EXPECT_EQ(pixelAt(*black, 0, 0), (Rgba{0, 0, 0, -1}));
}

TEST(TextureUpload, DxtOneBlocksDecodeInFourAndThreeColourModes) {
    // Four colours: red (0xF800) above blue (0x001F); row y uses index y.
    // Three colours: blue first, red second; indices 0, 1, 2 (the mean), 3 (transparent).
    auto image = level(Format::DXT1, 8, 4,
                       {0x00, 0xF8, 0x1F, 0x00, 0x00, 0x55, 0xAA, 0xFF, //
                        0x1F, 0x00, 0x00, 0xF8, 0xE4, 0xE4, 0xE4, 0xE4});
    auto decoded = textureupload::decompress(image.get());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->getFormat(), Format::RGBA32);
    EXPECT_EQ(pixelAt(*decoded, 0, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*decoded, 3, 1), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(*decoded, 1, 2), (Rgba{170, 0, 85, 255}));
    EXPECT_EQ(pixelAt(*decoded, 2, 3), (Rgba{85, 0, 170, 255}));
    // 0xE4 = indices 0, 1, 2, 3 from the left.
    EXPECT_EQ(pixelAt(*decoded, 4, 0), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(*decoded, 5, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*decoded, 6, 2), (Rgba{127, 0, 127, 255}));
    EXPECT_EQ(pixelAt(*decoded, 7, 3), (Rgba{0, 0, 0, 0}));
    EXPECT_FALSE(image->isLocked());
}

TEST(TextureUpload, DxtThreeAndFiveCarryTheirAlphaAndPartialBlocksAreClipped) {
    // DXT3: explicit 4-bit alphas 0, 1, ..., 15; the colour block all green (0x07E0).
    std::vector<std::uint8_t> dxt3 = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE,
                                      0xE0, 0x07, 0xE0, 0x07, 0,    0,    0,    0};
    auto decoded = textureupload::decompress(level(Format::DXT3, 3, 2, dxt3).get());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->getWidth(), 3);
    EXPECT_EQ(pixelAt(*decoded, 0, 0), (Rgba{0, 255, 0, 0}));
    EXPECT_EQ(pixelAt(*decoded, 2, 1), (Rgba{0, 255, 0, 6 * 17}));

    // DXT5: alphas 255 and 0 interpolated in eight steps; the first pixels take ramp
    // entries 0, 1, 2, 7 (3 bits each, least significant first).
    const std::uint64_t indices = 0 | 1 << 3 | 2 << 6 | 7 << 9;
    std::vector<std::uint8_t> dxt5 = {255, 0};
    for (int i = 0; i < 6; ++i)
        dxt5.push_back(std::uint8_t(indices >> (8 * i)));
    dxt5.insert(dxt5.end(), {0xE0, 0x07, 0xE0, 0x07, 0, 0, 0, 0});
    decoded = textureupload::decompress(level(Format::DXT5, 4, 4, dxt5).get());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(pixelAt(*decoded, 0, 0)[3], 255);
    EXPECT_EQ(pixelAt(*decoded, 1, 0)[3], 0);
    EXPECT_EQ(pixelAt(*decoded, 2, 0)[3], 6 * 255 / 7);
    EXPECT_EQ(pixelAt(*decoded, 3, 0)[3], 1 * 255 / 7);

    auto notCompressed = object::Pointer<Image>::adopt(new Image(Format::RGB24, 4, 4));
    EXPECT_FALSE(textureupload::decompress(notCompressed.get()));
    EXPECT_EQ(textureupload::uploadable(notCompressed.get(), false).get(), notCompressed.get());
}

} // namespace
} // namespace orvane::graphics3d
