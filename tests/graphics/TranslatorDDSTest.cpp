#include "orvane/graphics/TranslatorDDS.h"
#include "orvane/graphics/CompressedImage.h"
#include "orvane/io/TranslatorException.h"
#include "tests/support/CodecFiles.h"
#include "tests/support/Decode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

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

TEST(DdsChannels, EachCommonLayoutKeepsItsTrueColours) {
    struct Case {
        const char* name;
        std::uint32_t bitCount;
        std::uint32_t masks[4];
        Bytes stored;         // one pixel
        std::uint32_t format; // of the image
        Bytes pixel;          // as the image holds it
        std::uint32_t flags = 0;
    };
    const Case cases[] = {
        {"A8R8G8B8",
         32,
         {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
         {1, 2, 3, 4},
         PixelFormat::BGRA32,
         {1, 2, 3, 4}},
        {"X8R8G8B8",
         32,
         {0xFF0000, 0xFF00, 0xFF, 0},
         {1, 2, 3, 4},
         PixelFormat::BGRA32,
         {1, 2, 3, 255}},
        {"A8B8G8R8",
         32,
         {0xFF, 0xFF00, 0xFF0000, 0xFF000000},
         {1, 2, 3, 4},
         PixelFormat::BGRA32,
         {3, 2, 1, 4}},
        {"X8B8G8R8",
         32,
         {0xFF, 0xFF00, 0xFF0000, 0},
         {1, 2, 3, 4},
         PixelFormat::BGRA32,
         {3, 2, 1, 255}},
        {"R8G8B8", 24, {0xFF0000, 0xFF00, 0xFF, 0}, {1, 2, 3}, PixelFormat::BGR24, {1, 2, 3}},
        {"B8G8R8", 24, {0xFF, 0xFF00, 0xFF0000, 0}, {1, 2, 3}, PixelFormat::BGR24, {3, 2, 1}},
        // Pure red: 5-6-5 narrows green to 5 bits in the engine's 16-bit order.
        {"R5G6B5", 16, {0xF800, 0x07E0, 0x1F, 0}, {0x00, 0xF8}, PixelFormat::RGB16, {0x00, 0x7C}},
        {"R5G6B5 green",
         16,
         {0xF800, 0x07E0, 0x1F, 0},
         {0xE0, 0x07},
         PixelFormat::RGB16,
         {0xE0, 0x03}},
        {"X1R5G5B5", 16, {0x7C00, 0x03E0, 0x1F, 0}, {0xFF, 0xFF}, PixelFormat::RGB16, {0xFF, 0x7F}},
        // Layouts with alpha widen every channel to 8 bits.
        {"A1R5G5B5",
         16,
         {0x7C00, 0x03E0, 0x1F, 0x8000},
         {0x00, 0xFC},
         PixelFormat::BGRA32,
         {0, 0, 255, 255}},
        {"A1R5G5B5 clear",
         16,
         {0x7C00, 0x03E0, 0x1F, 0x8000},
         {0x1F, 0x00},
         PixelFormat::BGRA32,
         {255, 0, 0, 0}},
        {"A4R4G4B4 red",
         16,
         {0x0F00, 0x00F0, 0x0F, 0xF000},
         {0x00, 0xFF},
         PixelFormat::BGRA32,
         {0, 0, 255, 255}},
        {"A4R4G4B4",
         16,
         {0x0F00, 0x00F0, 0x0F, 0xF000},
         {0x21, 0x43},
         PixelFormat::BGRA32,
         {0x11, 0x22, 0x33, 0x44}},
        {"L8", 8, {0xFF, 0, 0, 0}, {77}, PixelFormat::GREY8, {77}, test::DDS_LUMINANCE},
        {"A8L8",
         16,
         {0xFF, 0, 0, 0xFF00},
         {77, 200},
         PixelFormat::GREY_ALPHA16,
         {77, 200},
         test::DDS_LUMINANCE | test::DDS_ALPHA_PIXELS},
    };
    for (const Case& c : cases) {
        Dds dds{.width = 1,
                .height = 1,
                .bitCount = c.bitCount,
                .data = c.stored,
                .pixelFlags = c.flags};
        std::copy(std::begin(c.masks), std::end(c.masks), dds.masks);
        auto image = decode(translator, ddsFile(dds));
        ASSERT_TRUE(image) << c.name;
        EXPECT_EQ(image->getFormat(), c.format) << c.name;
        EXPECT_EQ(pixelsOf(*image), c.pixel) << c.name;
    }

    // Without the alpha-pixels flag an alpha mask is not alpha.
    auto unflagged = decode(translator, ddsFile({.width = 1,
                                                 .height = 1,
                                                 .bitCount = 32,
                                                 .masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
                                                 .data = {1, 2, 3, 0},
                                                 .pixelFlags = test::DDS_RGB}));
    EXPECT_EQ(pixelsOf(*unflagged), (Bytes{1, 2, 3, 255}));
}

TEST(DdsChannels, OtherLayoutsAreRefusedWithTheirDescription) {
    const Dds refused[] = {
        {.width = 1, .height = 1, .bitCount = 32, .masks = {0x3FF00000, 0xFFC00, 0x3FF, 0}},
        {.width = 1, .height = 1, .bitCount = 8, .masks = {0, 0, 0, 0xFF}},
        {.width = 1,
         .height = 1,
         .bitCount = 16,
         .masks = {0xFFFF, 0, 0, 0},
         .pixelFlags = test::DDS_LUMINANCE},
        {.width = 1, .height = 1, .fourCC = "ATI2"},
    };
    for (const Dds& dds : refused) {
        Dds withData = dds;
        withData.data = Bytes(16, 1);
        try {
            decode(translator, ddsFile(withData));
            ADD_FAILURE() << "decoded a layout of " << dds.bitCount << " bits";
        } catch (const io::TranslatorFormatException& e) {
            EXPECT_EQ(std::string(e.getDetail().cString()).rfind("DDS: unsupported", 0), 0u)
                << e.getDetail().cString();
        }
    }
}

TEST(DdsLyingHeaders, NothingIsReadBeyondTheLevelsOrTheLength) {
    // Claims 4 levels of 16 x 16 but holds 100 bytes: the rest stays zero.
    auto shortFile = decode(translator, ddsFile({.width = 16,
                                                 .height = 16,
                                                 .levels = 4,
                                                 .bitCount = 32,
                                                 .masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
                                                 .data = counting(100)}));
    ASSERT_TRUE(shortFile);
    const auto levels = levelsOf(shortFile.get());
    ASSERT_EQ(levels.size(), 4u);
    EXPECT_EQ(Bytes(levels[0].data.begin(), levels[0].data.begin() + 100), counting(100));
    EXPECT_EQ(levels[0].data[100], 0);
    EXPECT_EQ(levels[3].data, Bytes(4 * 2 * 2, 0));
    EXPECT_TRUE(shortFile->isTruncated());

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
    const Dds one{.width = 1,
                  .height = 1,
                  .bitCount = 16,
                  .masks = {0x7C00, 0x03E0, 0x1F, 0},
                  .data = {1, 2}};
    Dds lying = one;
    lying.levels = 1 << 30;
    auto many = decode(translator, ddsFile(lying));
    EXPECT_EQ(levelsOf(many.get()).size(), 32u);
    EXPECT_TRUE(many->isTruncated());
    lying.levels = -5;
    auto none = decode(translator, ddsFile(lying));
    EXPECT_EQ(levelsOf(none.get()).size(), 1u);
    EXPECT_FALSE(none->isTruncated());

    // A header and nothing else is no picture.
    Dds empty = one;
    empty.data.clear();
    EXPECT_THROW(decode(translator, ddsFile(empty)), io::TranslatorFormatException);
}

TEST(DdsLyingHeaders, ImpossibleHeadersRaiseExceptions) {
    const Dds plain{.width = 2,
                    .height = 2,
                    .bitCount = 32,
                    .masks = {0xFF0000, 0xFF00, 0xFF, 0},
                    .data = counting(16)};
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
    for (Dds huge : {Dds{.width = 1 << 20,
                    .height = 1 << 20,
                    .bitCount = 24,
                    .masks = {0xFF0000, 0xFF00, 0xFF, 0}},
                     Dds{.width = 1 << 20, .height = 1 << 20, .fourCC = "DXT1"},
                     Dds{.width = 0x7FFFFFFF, .height = 0x7FFFFFFF, .fourCC = "DXT5"}})
        EXPECT_THROW(decode(translator, ddsFile(huge)), io::TranslatorMemoryException);
}

} // namespace
} // namespace orvane::graphics
