#include "orvane/graphics/TranslatorDDS.h"
#include "orvane/graphics/CompressedImage.h"
#include "orvane/io/TranslatorException.h"
#include "tests/support/CodecFiles.h"
#include "tests/support/Decode.h"

#include <gtest/gtest.h>

namespace orvane::graphics {
namespace {

using test::Bytes;
using test::Dds;
using test::ddsFile;
using test::decode;
using test::pixelsOf;

TranslatorDDS translator;

Bytes counting(std::size_t count) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = std::uint8_t(i * 13 + i / 256);
    return bytes;
}

struct Level {
    std::int32_t width;
    std::int32_t height;
    Bytes data;
};

std::vector<Level> levelsOf(Image* image) {
    std::vector<Level> levels;
    for (; image; image = image->nextLevel()) {
        Bytes data;
        if (auto* compressed = dynamic_cast<CompressedImage*>(image)) {
            const auto* blocks = static_cast<const std::uint8_t*>(compressed->pixels());
            data.assign(blocks, blocks + compressed->dataBytes());
        } else {
            data = pixelsOf(*image);
        }
        levels.push_back({image->getWidth(), image->getHeight(), data});
    }
    return levels;
}

TEST(DdsLevels, EachLevelHalvesTheOneBeforeAndTakesItsOwnBytes) {
    const Bytes data = counting(4 * (64 * 32 + 32 * 16 + 16 * 8 + 8 * 4));
    auto image = decode(translator, ddsFile({.width = 64,
                                             .height = 32,
                                             .levels = 4,
                                             .bitCount = 32,
                                             .masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
                                             .data = data}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), PixelFormat::BGRA32);
    const auto levels = levelsOf(image.get());
    ASSERT_EQ(levels.size(), 4u);
    std::size_t at = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(levels[i].width, 64 >> i);
        EXPECT_EQ(levels[i].height, 32 >> i);
        EXPECT_EQ(levels[i].data,
                  Bytes(data.begin() + long(at), data.begin() + long(at + levels[i].data.size())));
        at += levels[i].data.size();
    }
    EXPECT_EQ(at, data.size());

    auto point = decode(translator, ddsFile({.width = 1,
                                             .height = 1,
                                             .levels = 3,
                                             .bitCount = 24,
                                             .masks = {0xFF0000, 0xFF00, 0xFF},
                                             .data = counting(9)}));
    const auto points = levelsOf(point.get());
    ASSERT_EQ(points.size(), 3u);
    for (const Level& level : points)
        EXPECT_TRUE(level.width == 1 && level.height == 1);
    EXPECT_EQ(points[2].data, (Bytes{counting(9)[6], counting(9)[7], counting(9)[8]}));

    auto strip = decode(translator, ddsFile({.width = 4,
                                             .height = 1,
                                             .levels = 3,
                                             .bitCount = 32,
                                             .masks = {0xFF0000, 0xFF00, 0xFF},
                                             .data = counting(28)}));
    const auto strips = levelsOf(strip.get());
    ASSERT_EQ(strips.size(), 3u);
    EXPECT_TRUE(strips[1].width == 2 && strips[2].width == 1 && strips[2].height == 1);
}

TEST(DdsLevels, CompressedLevelsKeepTheirBlocks) {
    struct Case {
        const char* code;
        std::uint32_t format;
        std::size_t blockBytes;
    };
    for (Case c : {Case{"DXT1", PixelFormat::DXT1, 8}, Case{"DXT3", PixelFormat::DXT3, 16},
                   Case{"DXT5", PixelFormat::DXT5, 16}}) {
        // 8 x 8, 4 x 4, 2 x 2 and 1 x 1: 4, 1, 1 and 1 blocks.
        const Bytes data = counting(7 * c.blockBytes);
        auto image =
            decode(translator,
                   ddsFile({.width = 8, .height = 8, .levels = 4, .fourCC = c.code, .data = data}));
        ASSERT_TRUE(image) << c.code;
        EXPECT_EQ(image->getFormat(), c.format);
        EXPECT_EQ(image->getRowBytes(), 0);
        const auto levels = levelsOf(image.get());
        ASSERT_EQ(levels.size(), 4u);
        EXPECT_EQ(levels[0].data, Bytes(data.begin(), data.begin() + long(4 * c.blockBytes)));
        EXPECT_EQ(levels[3].width, 1);
        EXPECT_EQ(levels[3].data, Bytes(data.end() - long(c.blockBytes), data.end()));
    }
    EXPECT_EQ(CompressedImage::dataBytesFor(PixelFormat::DXT5, 5, 9), 2 * 3 * 16);
    EXPECT_EQ(CompressedImage::dataBytesFor(PixelFormat::RGB24, 4, 4), 0);
}

TEST(DdsChannels, StoredPixelsComeOutInTheEnginesOrder) {
    // 16-bit 1-5-5-5 keeps its fields and loses bit 15; 5-6-5 narrows green to 5 bits.
    auto wide = decode(translator, ddsFile({.width = 2,
                                            .height = 1,
                                            .bitCount = 16,
                                            .masks = {0x7C00, 0x03E0, 0x1F, 0x8000},
                                            .data = {0xFF, 0xFF, 0x1F, 0x00}}));
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->getFormat(), PixelFormat::RGB16);
    EXPECT_EQ(pixelsOf(*wide), (Bytes{0xFF, 0x7F, 0x1F, 0x00}));
    // 0xF800 red, 0x07E0 green, 0x001F blue, 0x0040 green's lowest bit.
    auto narrow =
        decode(translator, ddsFile({.width = 4,
                                    .height = 1,
                                    .bitCount = 16,
                                    .masks = {0xF800, 0x07E0, 0x1F, 0},
                                    .data = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x40, 0x00}}));
    ASSERT_TRUE(narrow);
    EXPECT_EQ(pixelsOf(*narrow), (Bytes{0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x20, 0x00}));

    const Bytes pixels = {1, 2, 3, 4, 5, 6, 7, 8};
    auto bgra = decode(translator, ddsFile({.width = 2,
                                            .height = 1,
                                            .bitCount = 32,
                                            .masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
                                            .data = pixels}));
    EXPECT_EQ(pixelsOf(*bgra), pixels);
    auto rgba = decode(translator, ddsFile({.width = 2,
                                            .height = 1,
                                            .bitCount = 32,
                                            .masks = {0xFF, 0xFF00, 0xFF0000, 0xFF000000},
                                            .data = pixels}));
    EXPECT_EQ(rgba->getFormat(), PixelFormat::BGRA32);
    EXPECT_EQ(pixelsOf(*rgba), (Bytes{3, 2, 1, 4, 7, 6, 5, 8}));
}

TEST(DdsLyingHeaders, NothingIsReadBeyondTheLevelsOrTheLength) {
    // Claims 4 levels of 16 x 16 but holds 100 bytes: the rest stays zero.
    auto shortFile = decode(translator, ddsFile({.width = 16,
                                                 .height = 16,
                                                 .levels = 4,
                                                 .bitCount = 32,
                                                 .masks = {0xFF0000, 0xFF00, 0xFF},
                                                 .data = counting(100)}));
    ASSERT_TRUE(shortFile);
    const auto levels = levelsOf(shortFile.get());
    ASSERT_EQ(levels.size(), 4u);
    EXPECT_EQ(Bytes(levels[0].data.begin(), levels[0].data.begin() + 100), counting(100));
    EXPECT_EQ(levels[0].data[100], 0);
    EXPECT_EQ(levels[3].data, Bytes(4 * 2 * 2, 0));

    // The length given to translate bounds the reading: bytes past it are not the image's.
    const Bytes file = ddsFile({.width = 2,
                                .height = 1,
                                .bitCount = 24,
                                .masks = {0xFF0000, 0xFF00, 0xFF},
                                .data = {1, 2, 3, 4, 5, 6}});
    io::MemoryFile memory(file.data(), file.size());
    auto bounded = object::Pointer<Image>::adopt(
        translator.translate(memory.getInputStream(), int(file.size()) - 2));
    EXPECT_EQ(pixelsOf(*bounded), (Bytes{1, 2, 3, 4, 0, 0}));

    // A level count beyond any real chain is cut to 32 levels.
    auto many =
        decode(translator,
               ddsFile({.width = 1, .height = 1, .levels = 1 << 30, .bitCount = 16, .data = {}}));
    EXPECT_EQ(levelsOf(many.get()).size(), 32u);
    auto none =
        decode(translator, ddsFile({.width = 1, .height = 1, .levels = -5, .bitCount = 16}));
    EXPECT_EQ(levelsOf(none.get()).size(), 1u);
}

TEST(DdsLyingHeaders, ImpossibleHeadersRaiseExceptions) {
    const Dds plain{.width = 2, .height = 2, .bitCount = 32, .data = counting(16)};
    Dds negative = plain;
    negative.width = -2;
    Dds oddBits = plain;
    oddBits.bitCount = 8;
    const Bytes good = ddsFile(plain);
    Bytes wrongMagic = good;
    wrongMagic[3] = 'X';
    const Bytes shortHeader(good.begin(), good.begin() + 100);
    for (const Bytes& bad : {ddsFile(negative), ddsFile(oddBits), wrongMagic, shortHeader})
        EXPECT_THROW(decode(translator, bad), io::TranslatorFormatException);
    for (Dds huge : {Dds{.width = 1 << 20, .height = 1 << 20, .bitCount = 24},
                     Dds{.width = 1 << 20, .height = 1 << 20, .fourCC = "DXT1"},
                     Dds{.width = 0x7FFFFFFF, .height = 0x7FFFFFFF, .fourCC = "DXT5"}})
        EXPECT_THROW(decode(translator, ddsFile(huge)), io::TranslatorMemoryException);
}

} // namespace
} // namespace orvane::graphics
