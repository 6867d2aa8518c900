#include "orvane/graphics/TranslatorBMP.h"
#include "orvane/io/TranslatorException.h"
#include "tests/support/Decode.h"

#include <gtest/gtest.h>

namespace orvane::graphics {
namespace {

using test::Bmp;
using test::bmpFile;
using test::bmpRows;
using test::Bytes;
using test::decode;
using test::pixelsOf;

TranslatorBMP translator;

object::Pointer<Image> decodeBmp(const Bmp& bmp) {
    return decode(translator, bmpFile(bmp));
}

std::vector<test::Rgb> greys(int count) {
    std::vector<test::Rgb> colours;
    for (int i = 0; i < count; ++i)
        colours.push_back({std::uint8_t(i), std::uint8_t(i + 1), std::uint8_t(i + 2)});
    return colours;
}

TEST(BmpUncompressed, TrueColourRowsArePaddedInTheFileAndPackedInTheImage) {
    const std::vector<Bytes> rows = {{1, 2, 3, 4, 5, 6, 7, 8, 9},
                                     {11, 12, 13, 14, 15, 16, 17, 18, 19}};
    auto image = decodeBmp({.width = 3, .height = 2, .bits = 24, .pixelData = bmpRows(rows)});
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), PixelFormat::BGR24);
    EXPECT_EQ(image->getRowBytes(), 9);
    EXPECT_EQ(pixelsOf(*image),
              (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19}));
    EXPECT_EQ(image->palette(), nullptr);

    auto topDown =
        decodeBmp({.width = 3, .height = -2, .bits = 24, .pixelData = bmpRows(rows, true)});
    ASSERT_TRUE(topDown);
    EXPECT_EQ(topDown->getHeight(), 2);
    EXPECT_EQ(pixelsOf(*topDown), pixelsOf(*image)) << "a negative height stores rows top-down";

    auto wide =
        decodeBmp({.width = 2, .height = 1, .bits = 32, .pixelData = {1, 2, 3, 4, 5, 6, 7, 8}});
    EXPECT_EQ(wide->getFormat(), PixelFormat::BGRA32);
    EXPECT_EQ(pixelsOf(*wide), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(BmpUncompressed, IndexedPixelsBecomeOneByteEach) {
    auto mono =
        decodeBmp({.width = 10,
                   .height = 2,
                   .bits = 1,
                   .palette = {{0, 0, 0}, {255, 255, 255}},
                   .pixelData = bmpRows({{0b10110000, 0b01000000}, {0b01001111, 0b11000000}})});
    ASSERT_TRUE(mono);
    EXPECT_EQ(mono->getFormat(), PixelFormat::INDEX8);
    EXPECT_EQ(pixelsOf(*mono),
              (Bytes{1, 0, 1, 1, 0, 0, 0, 0, 0, 1, /**/ 0, 1, 0, 0, 1, 1, 1, 1, 1, 1}));
    ASSERT_NE(mono->palette(), nullptr);
    EXPECT_EQ(Bytes(mono->palette()->entry(0), mono->palette()->entry(0) + 4), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Bytes(mono->palette()->entry(1), mono->palette()->entry(1) + 4),
              (Bytes{255, 255, 255, 0}));

    auto nibbles = decodeBmp({.width = 3,
                              .height = 1,
                              .bits = 4,
                              .palette = greys(16),
                              .pixelData = bmpRows({{0xAB, 0xC0}})});
    EXPECT_EQ(pixelsOf(*nibbles), (Bytes{0xA, 0xB, 0xC}));

    auto bytes = decodeBmp({.width = 5,
                            .height = 1,
                            .bits = 8,
                            .palette = greys(256),
                            .pixelData = bmpRows({{9, 8, 7, 6, 255}})});
    EXPECT_EQ(pixelsOf(*bytes), (Bytes{9, 8, 7, 6, 255}));
    EXPECT_EQ(bytes->palette()->entry(7)[0], 7);
    EXPECT_EQ(bytes->palette()->entry(7)[2], 9) << "entries are stored blue, green, red";
}

TEST(BmpUncompressed, SixteenBitPixelsKeepBlueLowAndLoseBitFifteen) {
    for (int bits : {15, 16}) {
        auto image = decodeBmp(
            {.width = 2, .height = 1, .bits = bits, .pixelData = {0x1F, 0x80, 0x00, 0x7C}});
        ASSERT_TRUE(image);
        EXPECT_EQ(image->getFormat(), bits == 15 ? PixelFormat::RGB15 : PixelFormat::RGB16);
        EXPECT_EQ(pixelsOf(*image), (Bytes{0x1F, 0x00, 0x00, 0x7C}));
    }
}

TEST(BmpPalette, KeepsTheFirst256OfALongerTable) {
    auto colours = greys(256);
    colours.resize(300, {7, 7, 7});
    auto image = decodeBmp({.width = 1,
                            .height = 1,
                            .bits = 8,
                            .coloursUsed = 300,
                            .palette = colours,
                            .pixelData = {200, 0, 0, 0}});
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelsOf(*image), (Bytes{200}));
    EXPECT_EQ(image->palette()->entry(255)[0], 255);
    EXPECT_EQ(image->palette()->entry(255)[3], 0);
}

TEST(BmpPalette, EndsWhereThePixelDataBegins) {
    // 8 bits and no colour count claim 256 entries; the file stores 3 before its pixels.
    auto image = decodeBmp(
        {.width = 2, .height = 1, .bits = 8, .palette = greys(3), .pixelData = {2, 1, 0, 0}});
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelsOf(*image), (Bytes{2, 1}));
    EXPECT_EQ(image->palette()->entry(2)[0], 2);
    EXPECT_EQ(image->palette()->entry(3)[0], 0) << "entries not stored stay zero";
}

TEST(BmpHeaders, ShortAndCoreHeadersAreReadByTheirOwnLayout) {
    auto core = decodeBmp({.width = 2,
                           .height = 2,
                           .bits = 8,
                           .infoSize = 12,
                           .palette = greys(256),
                           .pixelData = bmpRows({{1, 2}, {3, 4}})});
    ASSERT_TRUE(core);
    EXPECT_EQ(core->getWidth(), 2);
    EXPECT_EQ(pixelsOf(*core), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(core->palette()->entry(3)[1], 4) << "core palettes have three bytes an entry";

    auto shortInfo = decodeBmp({.width = 2,
                                .height = 1,
                                .bits = 24,
                                .infoSize = 16,
                                .pixelData = bmpRows({{1, 2, 3, 4, 5, 6}})});
    ASSERT_TRUE(shortInfo);
    EXPECT_EQ(pixelsOf(*shortInfo), (Bytes{1, 2, 3, 4, 5, 6}));

    auto farData = decodeBmp(
        {.width = 1, .height = 1, .bits = 24, .pixelData = {9, 8, 7, 0}, .dataOffset = 100});
    EXPECT_EQ(pixelsOf(*farData), (Bytes{9, 8, 7})) << "pixel data starts at the header's offset";
}

TEST(BmpRunLength, EightBitRecordsDrawFromTheBottomRowUp) {
    // 4 x 3: the bottom row an absolute run of three (padded) and a run; the middle row
    // moved over by a delta; the top row an absolute run of three.
    const Bytes data = {0, 3, 5, 6, 7, 0, 1, 8, 0, 0, // row 2: 5 6 7 8
                        0, 2, 1, 0, 1, 9, 0, 0,       // row 1: delta right 1, then one 9
                        0, 3, 1, 2, 3, 0, 0, 1};      // row 0: 1 2 3, end of bitmap
    auto image = decodeBmp({.width = 4,
                            .height = 3,
                            .bits = 8,
                            .compression = 1,
                            .palette = greys(256),
                            .pixelData = data});
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelsOf(*image), (Bytes{1, 2, 3, 0, /**/ 0, 9, 0, 0, /**/ 5, 6, 7, 8}))
        << "skipped pixels stay zero";
}

TEST(BmpRunLength, FourBitRunsAlternateNibbles) {
    const Bytes data = {5, 0x12, 0, 0, 0, 3, 0xAB, 0xC0, 0, 1};
    auto image = decodeBmp({.width = 5,
                            .height = 2,
                            .bits = 4,
                            .compression = 2,
                            .palette = greys(16),
                            .pixelData = data});
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelsOf(*image), (Bytes{0xA, 0xB, 0xC, 0, 0, /**/ 1, 2, 1, 2, 1}));
}

TEST(BmpRunLength, RunsThatOverrunTheImageAreClipped) {
    // A run longer than the row, a delta far beyond the top, an absolute run cut off by
    // the end of the data: nothing outside the image is written, nothing past the data read.
    const Bytes overlong = {200, 4, 0, 0, 0, 2, 255, 255, 3, 3, 0, 0, 0, 9, 1, 2};
    auto image = decodeBmp({.width = 3,
                            .height = 2,
                            .bits = 8,
                            .compression = 1,
                            .palette = greys(256),
                            .pixelData = overlong});
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelsOf(*image), (Bytes{0, 0, 0, /**/ 4, 4, 4}));

    const Bytes wraps = {4, 1, 5, 2, 0, 1};
    auto noWrap = decodeBmp({.width = 3,
                             .height = 2,
                             .bits = 8,
                             .compression = 1,
                             .palette = greys(256),
                             .pixelData = wraps});
    EXPECT_EQ(pixelsOf(*noWrap), (Bytes{0, 0, 0, /**/ 1, 1, 1})) << "runs never wrap rows";

    const Bytes cutAbsolute = {0, 9, 1, 2};
    auto cut = decodeBmp({.width = 3,
                          .height = 1,
                          .bits = 4,
                          .compression = 2,
                          .palette = greys(16),
                          .pixelData = cutAbsolute});
    EXPECT_EQ(pixelsOf(*cut), (Bytes{0, 1, 0}));
}

TEST(BmpFailures, MalformedHeadersAreFormatErrors) {
    EXPECT_THROW(decodeBmp({.width = 1, .height = 1, .bits = 3, .pixelData = {0, 0, 0, 0}}),
                 io::TranslatorFormatException);
    EXPECT_THROW(
        decodeBmp(
            {.width = 1, .height = 1, .bits = 24, .compression = 1, .pixelData = {0, 0, 0, 0}}),
        io::TranslatorFormatException)
        << "run-length true-colour files are refused";
    EXPECT_THROW(
        decodeBmp(
            {.width = 1, .height = 1, .bits = 2, .palette = greys(4), .pixelData = {0, 0, 0, 0}}),
        io::TranslatorFormatException);
    EXPECT_THROW(decodeBmp({.width = -1, .height = 1, .bits = 24}), io::TranslatorFormatException);
    EXPECT_THROW(decodeBmp({.width = 1, .height = 1, .bits = 24, .infoSize = 13}),
                 io::TranslatorFormatException);
    EXPECT_THROW(decodeBmp({.width = 1,
                            .height = 1,
                            .bits = 8,
                            .coloursUsed = 0x40000000,
                            .palette = greys(2),
                            .dataOffset = 0}),
                 io::TranslatorFormatException)
        << "a palette larger than the file";

    Bytes file = bmpFile({.width = 1, .height = 1, .bits = 24, .pixelData = {1, 2, 3, 0}});
    for (std::size_t cut : {0, 5, 14, 16, 30, 53})
        EXPECT_THROW(decode(translator, Bytes(file.begin(), file.begin() + long(cut))),
                     io::TranslatorFormatException)
            << "cut at " << cut;
}

TEST(BmpFailures, HugeImagesAreRefusedBeforeAllocating) {
    EXPECT_THROW(decodeBmp({.width = 0x7FFFFFFF, .height = 0x7FFFFFFF, .bits = 32}),
                 io::TranslatorMemoryException);
    EXPECT_THROW(decodeBmp({.width = 9000, .height = 9000, .bits = 32}),
                 io::TranslatorMemoryException)
        << "above the per-image cap";
    EXPECT_THROW(decodeBmp({.width = 1, .height = -0x7FFFFFFF - 1, .bits = 24}),
                 io::TranslatorMemoryException);
}

TEST(BmpBitFields, MasksOfEveryHeaderGiveTheTrueColours) {
    // Pure red, pure green, white and a mid grey in 5-6-5, after a 40-byte header.
    const Bytes rgb565 = {0x00, 0xF8, 0xE0, 0x07, 0xFF, 0xFF, 0xEF, 0x7B};
    auto wide = decodeBmp({.width = 4,
                           .height = 1,
                           .bits = 16,
                           .compression = 3,
                           .pixelData = rgb565,
                           .masks = {0xF800, 0x07E0, 0x001F}});
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->getFormat(), PixelFormat::BGR24);
    EXPECT_EQ(pixelsOf(*wide), (Bytes{0, 0, 255, 0, 255, 0, 255, 255, 255, 123, 125, 123}));

    // The plain 5-5-5 masks keep the engine's 16-bit format.
    auto plain = decodeBmp({.width = 2,
                            .height = 1,
                            .bits = 16,
                            .compression = 3,
                            .pixelData = {0x00, 0xFC, 0x1F, 0x00},
                            .masks = {0x7C00, 0x03E0, 0x001F}});
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->getFormat(), PixelFormat::RGB16);
    EXPECT_EQ(pixelsOf(*plain), (Bytes{0x00, 0x7C, 0x1F, 0x00}));

    // 32 bits with the masks in a V5 header: alpha where the mask says so.
    auto v5 = decodeBmp({.width = 1,
                         .height = 1,
                         .bits = 32,
                         .compression = 3,
                         .infoSize = 124,
                         .pixelData = {10, 20, 30, 40},
                         .masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000}});
    ASSERT_TRUE(v5);
    EXPECT_EQ(v5->getFormat(), PixelFormat::BGRA32);
    EXPECT_EQ(pixelsOf(*v5), (Bytes{10, 20, 30, 40}));
    // Without an alpha mask the fourth byte is padding: the picture is opaque.
    auto padded = decodeBmp({.width = 1,
                             .height = 1,
                             .bits = 32,
                             .compression = 3,
                             .pixelData = {10, 20, 30, 0},
                             .masks = {0xFF0000, 0xFF00, 0xFF}});
    ASSERT_TRUE(padded);
    EXPECT_EQ(pixelsOf(*padded), (Bytes{10, 20, 30, 255}));
    // Red and blue the other way round, in a V4 header.
    auto swapped = decodeBmp({.width = 1,
                              .height = 1,
                              .bits = 32,
                              .compression = 3,
                              .infoSize = 108,
                              .pixelData = {10, 20, 30, 0},
                              .masks = {0xFF, 0xFF00, 0xFF0000, 0}});
    ASSERT_TRUE(swapped);
    EXPECT_EQ(swapped->getFormat(), PixelFormat::BGR24);
    EXPECT_EQ(pixelsOf(*swapped), (Bytes{30, 20, 10}));
    // Alpha bit fields (compression 6) of 1-5-5-5, bottom-up rows.
    auto alpha = decodeBmp({.width = 1,
                            .height = 2,
                            .bits = 16,
                            .compression = 6,
                            .pixelData = bmpRows({{0x1F, 0x80}, {0x00, 0x7C}}),
                            .masks = {0x7C00, 0x03E0, 0x001F, 0x8000}});
    ASSERT_TRUE(alpha);
    EXPECT_EQ(alpha->getFormat(), PixelFormat::BGRA32);
    EXPECT_EQ(pixelsOf(*alpha), (Bytes{255, 0, 0, 255, /**/ 0, 0, 255, 0}));
}

TEST(BmpFailures, RefusalsSayWhatIsWrong) {
    EXPECT_EQ(test::refusalOf(translator, bmpFile({.width = 1,
                                                   .height = 1,
                                                   .bits = 24,
                                                   .compression = 4,
                                                   .pixelData = {0, 0, 0, 0}})),
              "BMP: unsupported compression 4");
    EXPECT_EQ(test::refusalOf(translator, bmpFile({.width = 1,
                                                   .height = 1,
                                                   .bits = 24,
                                                   .compression = 3,
                                                   .pixelData = {0, 0, 0, 0},
                                                   .masks = {0xFF0000, 0xFF00, 0xFF}})),
              "BMP: bit fields of 24 bits a pixel");
    EXPECT_EQ(test::refusalOf(translator, bmpFile({.width = 1,
                                                   .height = 1,
                                                   .bits = 16,
                                                   .compression = 3,
                                                   .pixelData = {0, 0, 0, 0},
                                                   .masks = {0xF800, 0, 0x1F}})),
              "BMP: colour mask 1 is empty");
    EXPECT_EQ(
        test::refusalOf(translator, bmpFile({.width = 1, .height = 1, .bits = 24, .infoSize = 13})),
        "BMP: unknown info header of 13 bytes");
    // A 54-byte file: both headers and no pixels.
    const Bytes headers = bmpFile({.width = 2, .height = 2, .bits = 24});
    ASSERT_EQ(headers.size(), 54u);
    EXPECT_EQ(test::refusalOf(translator, headers), "BMP: no pixel data");
}

TEST(BmpTruncation, MissingPixelDataLeavesZeros) {
    const Bytes stored = bmpRows({{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}});
    Bytes file = bmpFile({.width = 2, .height = 2, .bits = 24, .pixelData = stored});
    auto whole = decode(translator, file);
    ASSERT_TRUE(whole);
    EXPECT_FALSE(whole->isTruncated());
    file.resize(file.size() - 6); // the top row is stored last: keep 2 of its bytes
    auto image = decode(translator, file);
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelsOf(*image), (Bytes{1, 2, 0, 0, 0, 0, /**/ 7, 8, 9, 10, 11, 12}));
    EXPECT_TRUE(image->isTruncated());

    // Run-length data that stops before its end-of-bitmap record and its last row.
    auto runs = decodeBmp({.width = 2,
                           .height = 2,
                           .bits = 8,
                           .compression = 1,
                           .palette = greys(4),
                           .pixelData = {2, 3, 0, 0}});
    ASSERT_TRUE(runs);
    EXPECT_EQ(pixelsOf(*runs), (Bytes{0, 0, 3, 3}));
    EXPECT_TRUE(runs->isTruncated());
    auto ended = decodeBmp({.width = 2,
                            .height = 2,
                            .bits = 8,
                            .compression = 1,
                            .palette = greys(4),
                            .pixelData = {2, 3, 0, 1}});
    ASSERT_TRUE(ended);
    EXPECT_FALSE(ended->isTruncated());
}

TEST(BmpIdentity, RecognisesTheSignatureAndNamesItself) {
    const Bytes file = bmpFile({.width = 1, .height = 1, .bits = 24, .pixelData = {0, 0, 0, 0}});
    io::MemoryFile bmp(file.data(), file.size());
    io::MemoryFile other("MB", 2);
    EXPECT_TRUE(translator.identify(&bmp));
    EXPECT_EQ(bmp.position(), 0);
    EXPECT_FALSE(translator.identify(&other));
    io::MemoryFile tooShort("B", 1);
    EXPECT_FALSE(translator.identify(&tooShort));
    EXPECT_STREQ(translator.getClassName().cString(), "Object:Translator:TranslatorBMP");
    EXPECT_EQ(translator.write(nullptr, nullptr), 0);
}

} // namespace
} // namespace orvane::graphics
