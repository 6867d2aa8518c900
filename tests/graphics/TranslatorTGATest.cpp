#include "orvane/graphics/TranslatorTGA.h"
#include "orvane/io/TranslatorException.h"
#include "tests/support/Decode.h"

#include <gtest/gtest.h>

namespace orvane::graphics {
namespace {

using test::Bytes;
using test::decode;
using test::pixelsOf;
using test::Tga;
using test::tgaEncode;
using test::tgaFile;

TranslatorTGA translator;

object::Pointer<Image> decodeTga(const Tga& tga) {
    return decode(translator, tgaFile(tga));
}

TEST(TgaTrueColour, BottomUpFilesAreTurnedAndTopDownOnesKept) {
    const Bytes stored = {1, 2, 3, 4, 5, 6, /**/ 7, 8, 9, 10, 11, 12};
    auto bottomUp = decodeTga({.width = 2, .height = 2, .depth = 24, .pixelData = stored});
    ASSERT_TRUE(bottomUp);
    EXPECT_EQ(bottomUp->getFormat(), PixelFormat::BGR24);
    EXPECT_EQ(pixelsOf(*bottomUp), (Bytes{7, 8, 9, 10, 11, 12, /**/ 1, 2, 3, 4, 5, 6}));
    auto topDown =
        decodeTga({.width = 2, .height = 2, .depth = 24, .descriptor = 0x20, .pixelData = stored});
    EXPECT_EQ(pixelsOf(*topDown), stored);

    auto alpha = decodeTga(
        {.width = 1, .height = 1, .depth = 32, .id = {'h', 'i'}, .pixelData = {1, 2, 3, 4}});
    EXPECT_EQ(alpha->getFormat(), PixelFormat::BGRA32);
    EXPECT_EQ(pixelsOf(*alpha), (Bytes{1, 2, 3, 4})) << "the ID field is skipped";
}

TEST(TgaTrueColour, LargeBottomUpFilesAreTurnedInChunks) {
    // Rows of 4 KiB: several chunks of rows and a short last one.
    constexpr int width = 1024, height = 130;
    Bytes stored;
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x)
            test::append(stored, {std::uint8_t(row), std::uint8_t(x), std::uint8_t(x >> 8), 7});
    auto image = decodeTga({.width = width, .height = height, .depth = 32, .pixelData = stored});
    ASSERT_TRUE(image);
    const Bytes pixels = pixelsOf(*image);
    for (int y = 0; y < height; ++y) {
        const std::size_t row = std::size_t(y) * width * 4;
        ASSERT_EQ(pixels[row], height - 1 - y) << "row " << y;
        ASSERT_EQ(pixels[row + 4 * 1000 + 1], std::uint8_t(1000)) << "row " << y;
        ASSERT_EQ(pixels[row + 4 * 1000 + 2], 1000 >> 8) << "row " << y;
    }
}

TEST(TgaTrueColour, SixteenBitPixelsKeepBlueLowAndLoseBitFifteen) {
    // 31744 has only bits 10-14 set: red, in the file's order and the engine's.
    auto image = decodeTga({.width = 3,
                            .height = 1,
                            .depth = 16,
                            .descriptor = 0x20,
                            .pixelData = {0x00, 0x7C, 0x1F, 0x80, 0xE0, 0x03}});
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), PixelFormat::RGB16);
    EXPECT_EQ(pixelsOf(*image), (Bytes{0x00, 0x7C, 0x1F, 0x00, 0xE0, 0x03}));
    auto fifteen = decodeTga({.width = 1, .height = 1, .depth = 15, .pixelData = {1, 0x80}});
    EXPECT_EQ(fifteen->getFormat(), PixelFormat::RGB15);
    EXPECT_EQ(pixelsOf(*fifteen), (Bytes{1, 0}));
}

TEST(TgaColourMapped, MapEntriesOfEverySizeBecomeThePalette) {
    const Bytes indices = {0, 1, 2, 1};
    auto wide = decodeTga({.imageType = 1,
                           .colourMapType = 1,
                           .colourMapLength = 3,
                           .colourMapEntryBits = 24,
                           .colourMap = {10, 20, 30, 40, 50, 60, 70, 80, 90},
                           .width = 2,
                           .height = 2,
                           .depth = 8,
                           .descriptor = 0x20,
                           .pixelData = indices});
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->getFormat(), PixelFormat::INDEX8);
    EXPECT_EQ(pixelsOf(*wide), indices);
    const std::uint8_t* second = wide->palette()->entry(1);
    EXPECT_EQ(Bytes(second, second + 4), (Bytes{60, 50, 40, 0}));

    auto withAlpha = decodeTga({.imageType = 1,
                                .colourMapType = 1,
                                .colourMapLength = 1,
                                .colourMapEntryBits = 32,
                                .colourMap = {1, 2, 3, 4},
                                .width = 1,
                                .height = 1,
                                .depth = 8,
                                .pixelData = {0}});
    EXPECT_EQ(Bytes(withAlpha->palette()->entry(0), withAlpha->palette()->entry(0) + 4),
              (Bytes{3, 2, 1, 4}));

    // 0x7FFF: all three fields full; 0x7C00: red only.
    auto narrow = decodeTga({.imageType = 1,
                             .colourMapType = 1,
                             .colourMapLength = 2,
                             .colourMapEntryBits = 16,
                             .colourMap = {0xFF, 0x7F, 0x00, 0x7C},
                             .width = 1,
                             .height = 1,
                             .depth = 8,
                             .pixelData = {1}});
    EXPECT_EQ(Bytes(narrow->palette()->entry(0), narrow->palette()->entry(0) + 4),
              (Bytes{0xF8, 0xF8, 0xF8, 0}));
    EXPECT_EQ(Bytes(narrow->palette()->entry(1), narrow->palette()->entry(1) + 4),
              (Bytes{0xF8, 0, 0, 0}));
}

TEST(TgaColourMapped, MapsLongerThan256EntriesKeepTheFirst256) {
    Bytes map;
    for (int i = 0; i < 300; ++i)
        test::append(map, {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i >> 8)});
    auto image = decodeTga({.imageType = 1,
                            .colourMapType = 1,
                            .colourMapLength = 300,
                            .colourMapEntryBits = 24,
                            .colourMap = map,
                            .width = 1,
                            .height = 1,
                            .depth = 8,
                            .pixelData = {255}});
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelsOf(*image), (Bytes{255})) << "pixels follow the whole map";
    EXPECT_EQ(image->palette()->entry(255)[2], 255);
    EXPECT_EQ(image->palette()->entry(255)[0], 0);
}

TEST(TgaRunLength, PacketsDecodeAcrossRows) {
    // 3 x 2, 24-bit, bottom-up: a run of 4 spans the bottom row and the first pixel of the
    // top row, then a raw packet of two.
    const Bytes packets = {0x83, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9};
    auto image =
        decodeTga({.imageType = 10, .width = 3, .height = 2, .depth = 24, .pixelData = packets});
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelsOf(*image), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, /**/ 1, 2, 3, 1, 2, 3, 1, 2, 3}));

    Bytes picture;
    for (int i = 0; i < 40 * 7; ++i)
        test::append(picture,
                     {std::uint8_t(i / 50), std::uint8_t(i % 3), 9, std::uint8_t(i & 0x40)});
    auto encoded = decodeTga({.imageType = 10,
                              .width = 40,
                              .height = 7,
                              .depth = 32,
                              .descriptor = 0x20,
                              .pixelData = tgaEncode(picture, 4)});
    ASSERT_TRUE(encoded);
    EXPECT_EQ(pixelsOf(*encoded), picture);

    auto indexed = decodeTga({.imageType = 10,
                              .colourMapType = 1,
                              .colourMapLength = 2,
                              .colourMapEntryBits = 24,
                              .colourMap = {1, 2, 3, 4, 5, 6},
                              .width = 4,
                              .height = 1,
                              .depth = 8,
                              .pixelData = {0x82, 1, 0, 0}});
    EXPECT_EQ(indexed->getFormat(), PixelFormat::INDEX8);
    EXPECT_EQ(pixelsOf(*indexed), (Bytes{1, 1, 1, 0}));
}

TEST(TgaRunLength, OverlongAndTruncatedPacketsStayInsideTheImage) {
    // A run of 128 into a 2 x 1 image, then more packets than pixels.
    auto overlong = decodeTga({.imageType = 10,
                               .width = 2,
                               .height = 1,
                               .depth = 16,
                               .pixelData = {0xFF, 0x34, 0x92, 0x7F, 1, 2}});
    ASSERT_TRUE(overlong);
    EXPECT_EQ(pixelsOf(*overlong), (Bytes{0x34, 0x12, 0x34, 0x12}));
    EXPECT_FALSE(overlong->isTruncated());
    // Bottom-up, the pixels past the end do not come back at the top: three of the first
    // colour fill the bottom row and the top row's left, one of the second ends it.
    auto bottomUp = decodeTga({.imageType = 10,
                               .width = 2,
                               .height = 2,
                               .depth = 24,
                               .pixelData = {0x82, 1, 2, 3, 0x82, 4, 5, 6}});
    ASSERT_TRUE(bottomUp);
    EXPECT_EQ(pixelsOf(*bottomUp), (Bytes{1, 2, 3, 4, 5, 6, /**/ 1, 2, 3, 1, 2, 3}));
    // A raw packet of 4 pixels of which one and a half are present.
    auto cut = decodeTga({.imageType = 10,
                          .width = 2,
                          .height = 2,
                          .depth = 24,
                          .descriptor = 0x20,
                          .pixelData = {0x03, 1, 2, 3, 4, 5}});
    EXPECT_EQ(pixelsOf(*cut), (Bytes{1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(TgaFailures, UnsupportedLayoutsAreFormatErrorsThatSayWhy) {
    EXPECT_EQ(
        test::refusalOf(
            translator,
            tgaFile({.imageType = 32, .width = 1, .height = 1, .depth = 8, .pixelData = {0}})),
        "TGA: unsupported image type 32");
    EXPECT_EQ(test::refusalOf(translator,
                              tgaFile({.width = 1, .height = 1, .depth = 12, .pixelData = {0, 0}})),
              "TGA: unsupported pixel depth 12");
    EXPECT_EQ(test::refusalOf(translator,
                              tgaFile({.width = 1, .height = 1, .depth = 8, .pixelData = {0}})),
              "TGA: 8-bit pixels need a colour map");
    EXPECT_EQ(
        test::refusalOf(
            translator,
            tgaFile(
                {.imageType = 3, .width = 1, .height = 1, .depth = 24, .pixelData = {0, 0, 0}})),
        "TGA: grey pixels of 24 bits");
    EXPECT_EQ(
        test::refusalOf(
            translator,
            tgaFile({.imageType = 9, .width = 1, .height = 1, .depth = 8, .pixelData = {0, 0}})),
        "TGA: colour-mapped image without a colour map (8 bits)");
    EXPECT_EQ(test::refusalOf(translator, tgaFile({.imageType = 1,
                                                   .colourMapType = 1,
                                                   .colourMapLength = 1,
                                                   .colourMapEntryBits = 8,
                                                   .colourMap = {0},
                                                   .width = 1,
                                                   .height = 1,
                                                   .depth = 8,
                                                   .pixelData = {0}})),
              "TGA: colour-map entries of 8 bits");
    const Bytes file = tgaFile({.width = 1, .height = 1, .depth = 24, .pixelData = {1, 2, 3}});
    EXPECT_EQ(test::refusalOf(translator, Bytes(file.begin(), file.begin() + 17)),
              "TGA: file shorter than its header");
    EXPECT_THROW(decodeTga({.width = 65535, .height = 65535, .depth = 32}),
                 io::TranslatorMemoryException);
}

TEST(TgaTruncation, MissingPixelsAreZeroAndNoPixelsAtAllIsNoPicture) {
    auto image = decodeTga({.width = 2, .height = 2, .depth = 24, .pixelData = {1, 2, 3, 4}});
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelsOf(*image), (Bytes{0, 0, 0, 0, 0, 0, /**/ 1, 2, 3, 0, 0, 0}));
    EXPECT_TRUE(image->isTruncated());
    auto packets = decodeTga(
        {.imageType = 10, .width = 2, .height = 2, .depth = 24, .pixelData = {0x81, 1, 2, 3}});
    ASSERT_TRUE(packets);
    EXPECT_TRUE(packets->isTruncated());
    auto whole = decodeTga({.width = 1, .height = 1, .depth = 24, .pixelData = {1, 2, 3}});
    EXPECT_FALSE(whole->isTruncated());

    // An 18-byte file: a header and no pixels.
    EXPECT_EQ(test::refusalOf(translator, tgaFile({.width = 2, .height = 2, .depth = 24})),
              "TGA: no pixel data");
    EXPECT_EQ(test::refusalOf(translator,
                              tgaFile({.imageType = 10, .width = 2, .height = 2, .depth = 32})),
              "TGA: no pixel data");
}

TEST(TgaGrey, UncompressedAndRunLengthGreyLevels) {
    auto plain = decodeTga(
        {.imageType = 3, .width = 3, .height = 1, .depth = 8, .pixelData = {0, 128, 255}});
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->getFormat(), PixelFormat::GREY8);
    EXPECT_EQ(pixelsOf(*plain), (Bytes{0, 128, 255}));

    const Bytes levels = {9, 9, 9, 50, 60, 70, 70, 70};
    auto packed = decodeTga({.imageType = 11,
                             .width = 4,
                             .height = 2,
                             .depth = 8,
                             .descriptor = 0x20,
                             .pixelData = tgaEncode(levels, 1)});
    ASSERT_TRUE(packed);
    EXPECT_EQ(packed->getFormat(), PixelFormat::GREY8);
    EXPECT_EQ(pixelsOf(*packed), levels);

    auto withAlpha =
        decodeTga({.imageType = 3, .width = 1, .height = 1, .depth = 16, .pixelData = {77, 200}});
    ASSERT_TRUE(withAlpha);
    EXPECT_EQ(withAlpha->getFormat(), PixelFormat::GREY_ALPHA16);
    EXPECT_EQ(pixelsOf(*withAlpha), (Bytes{77, 200}));
}

TEST(TgaColourMapped, RunLengthIndicesKeepTheirColourMap) {
    const Bytes indices = {0, 0, 0, 1, 2, 1, 1, 1};
    auto image = decodeTga({.imageType = 9,
                            .colourMapType = 1,
                            .colourMapLength = 3,
                            .colourMapEntryBits = 24,
                            .colourMap = {1, 2, 3, 4, 5, 6, 7, 8, 9},
                            .width = 4,
                            .height = 2,
                            .depth = 8,
                            .pixelData = tgaEncode(indices, 1)});
    ASSERT_TRUE(image && image->palette());
    EXPECT_EQ(image->getFormat(), PixelFormat::INDEX8);
    // Bottom-up: the second stored row is the top one.
    EXPECT_EQ(pixelsOf(*image), (Bytes{2, 1, 1, 1, /**/ 0, 0, 0, 1}));
    const std::uint8_t* second = image->palette()->entry(1);
    EXPECT_EQ(Bytes(second, second + 4), (Bytes{6, 5, 4, 0}));
}

TEST(TgaOrigin, RightToLeftRowsAreMirrored) {
    const Bytes stored = {1, 2, 3, 4, 5, 6, 7, 8, 9, /**/ 10, 11, 12, 13, 14, 15, 16, 17, 18};
    for (int type : {2, 10}) {
        const Bytes data = type == 2 ? stored : tgaEncode(stored, 3);
        // Top-down and right-to-left: each row read from the right edge.
        auto topRight = decodeTga({.imageType = type,
                                   .width = 3,
                                   .height = 2,
                                   .depth = 24,
                                   .descriptor = 0x30,
                                   .pixelData = data});
        ASSERT_TRUE(topRight) << type;
        EXPECT_EQ(pixelsOf(*topRight),
                  (Bytes{7, 8, 9, 4, 5, 6, 1, 2, 3, /**/ 16, 17, 18, 13, 14, 15, 10, 11, 12}))
            << type;
        // Bottom-up and right-to-left: turned both ways.
        auto bottomRight = decodeTga({.imageType = type,
                                      .width = 3,
                                      .height = 2,
                                      .depth = 24,
                                      .descriptor = 0x10,
                                      .pixelData = data});
        EXPECT_EQ(pixelsOf(*bottomRight),
                  (Bytes{16, 17, 18, 13, 14, 15, 10, 11, 12, /**/ 7, 8, 9, 4, 5, 6, 1, 2, 3}))
            << type;
    }
    // Pictures of no width have nothing to mirror.
    auto empty =
        decodeTga({.width = 0, .height = 3, .depth = 24, .descriptor = 0x10, .pixelData = {1}});
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->getWidth(), 0);
}

TEST(TgaIdentity, TheWeakTestLooksAtTwoBytes) {
    io::MemoryFile tga("\0\1\xA\0", 4);
    io::MemoryFile text("hello", 5);
    io::MemoryFile zeros("\0\0\0\0", 4);
    io::MemoryFile shortFile("\0\1", 2);
    EXPECT_TRUE(translator.identify(&tga));
    EXPECT_TRUE(translator.identify(&zeros));
    EXPECT_FALSE(translator.identify(&text));
    EXPECT_FALSE(translator.identify(&shortFile));
    EXPECT_STREQ(translator.getClassName().cString(), "Object:Translator:TranslatorTGA");
}

} // namespace
} // namespace orvane::graphics
