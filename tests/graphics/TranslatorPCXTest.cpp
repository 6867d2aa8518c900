#include "orvane/graphics/TranslatorPCX.h"
#include "orvane/io/TranslatorException.h"
#include "tests/support/Decode.h"

#include <gtest/gtest.h>

namespace orvane::graphics {
namespace {

using test::Bytes;
using test::decode;
using test::Pcx;
using test::pcxEncode;
using test::pcxFile;
using test::pixelsOf;

TranslatorPCX translator;

std::vector<test::Rgb> rainbow() {
    std::vector<test::Rgb> colours;
    for (int i = 0; i < 256; ++i)
        colours.push_back({std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2)});
    return colours;
}

Bytes encodeLines(const std::vector<Bytes>& lines) {
    Bytes out;
    for (const Bytes& line : lines)
        test::append(out, pcxEncode(line));
    return out;
}

TEST(PcxIndexed, RowsAreBytesPerLineLongAndKeepTheirFirstWidthPixels) {
    // Width 3: every line holds 4 bytes (even), the last a padding byte that must not leak
    // into the next row.
    const std::vector<Bytes> lines = {{1, 2, 3, 0xEE}, {200, 200, 200, 0xEE}, {7, 0xC5, 9, 0xEE}};
    auto image = decode(
        translator,
        pcxFile({.width = 3, .height = 3, .encoded = encodeLines(lines), .palette = rainbow()}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), PixelFormat::INDEX8);
    EXPECT_EQ(pixelsOf(*image), (Bytes{1, 2, 3, 200, 200, 200, 7, 0xC5, 9}));
    ASSERT_NE(image->palette(), nullptr);
    const std::uint8_t* entry = image->palette()->entry(200);
    EXPECT_EQ(Bytes(entry, entry + 4), (Bytes{200, 55, 100, 0}));
}

TEST(PcxIndexed, RunsMayCarryOverIntoTheNextLine) {
    // One run of 5 fills the first two 2-byte lines and half the third.
    const Bytes encoded = {0xC5, 4, 5, 6, 7};
    auto image = decode(
        translator, pcxFile({.width = 2, .height = 4, .encoded = encoded, .palette = rainbow()}));
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelsOf(*image), (Bytes{4, 4, 4, 4, 4, 5, 6, 7}));
}

TEST(PcxTrueColour, ThreePlanesBecomeRedGreenBlue) {
    // Width 3, 4 bytes a plane: red plane, green plane, blue plane per line.
    const std::vector<Bytes> lines = {
        {10, 11, 12, 0, 20, 21, 22, 0, 30, 31, 32, 0},
        {40, 40, 40, 0, 50, 50, 50, 0, 60, 60, 60, 0},
    };
    auto image = decode(
        translator, pcxFile({.width = 3, .height = 2, .planes = 3, .encoded = encodeLines(lines)}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), PixelFormat::RGB24);
    EXPECT_EQ(pixelsOf(*image),
              (Bytes{10, 20, 30, 11, 21, 31, 12, 22, 32, /**/ 40, 50, 60, 40, 50, 60, 40, 50, 60}));
    EXPECT_EQ(image->palette(), nullptr);
}

TEST(PcxSmallIndices, PackedAndPlanarBitsGiveIndicesWithTheHeaderPalette) {
    auto mono = decode(translator, pcxFile({.width = 9,
                                            .height = 1,
                                            .bitsPerPixel = 1,
                                            .encoded = pcxEncode({0b10100000, 0b10000000})}));
    ASSERT_TRUE(mono);
    EXPECT_EQ(pixelsOf(*mono), (Bytes{1, 0, 1, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(mono->palette()->entry(1)[0], 255) << "one bit is black and white";

    const std::vector<test::Rgb> ega = {{0, 0, 0},    {0, 0, 170},   {0, 170, 0},  {0, 170, 170},
                                        {170, 0, 0},  {170, 0, 170}, {170, 85, 0}, {170, 170, 170},
                                        {85, 85, 85}, {85, 85, 255}};
    // Four 1-bit planes of 2 bytes each; pixel 0 has planes 0 and 3 set (9), pixel 1 plane 1 (2).
    const Bytes planes = {0b10000000, 0, 0b01000000, 0, 0, 0, 0b10000000, 0};
    auto planar = decode(translator, pcxFile({.width = 3,
                                              .height = 1,
                                              .bitsPerPixel = 1,
                                              .planes = 4,
                                              .headerPalette = ega,
                                              .encoded = pcxEncode(planes)}));
    ASSERT_TRUE(planar);
    EXPECT_EQ(pixelsOf(*planar), (Bytes{9, 2, 0}));
    EXPECT_EQ(planar->palette()->entry(9)[2], 255);

    auto packed = decode(translator, pcxFile({.width = 3,
                                              .height = 1,
                                              .bitsPerPixel = 4,
                                              .headerPalette = ega,
                                              .encoded = pcxEncode({0x9A, 0xB0})}));
    EXPECT_EQ(pixelsOf(*packed), (Bytes{9, 10, 11}));
}

TEST(PcxGeometry, SizesComeFromTheWindowCorners) {
    auto empty =
        decode(translator,
               pcxFile({.width = 0, .height = 1, .xMin = 10, .encoded = {}, .palette = rainbow()}));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->getWidth(), 0) << "xMax one below xMin";
    auto offset = decode(translator, pcxFile({.width = 2,
                                              .height = 1,
                                              .xMin = 100,
                                              .yMin = 50,
                                              .encoded = {5, 6},
                                              .palette = rainbow()}));
    EXPECT_EQ(pixelsOf(*offset), (Bytes{5, 6}));
}

TEST(PcxFailures, MalformedFilesRaiseTheTranslatorExceptions) {
    Bytes file = pcxFile({.width = 2, .height = 2, .encoded = {1, 2, 3, 4}, .palette = rainbow()});
    EXPECT_THROW(decode(translator, Bytes(file.begin(), file.begin() + 127)),
                 io::TranslatorFormatException);
    Bytes wrongMaker = file;
    wrongMaker[0] = 11;
    EXPECT_THROW(decode(translator, wrongMaker), io::TranslatorFormatException);
    Bytes tooWide = file;
    tooWide[8] = 0x00; // xMax 16384
    tooWide[9] = 0x40;
    EXPECT_THROW(decode(translator, tooWide), io::TranslatorFormatException);
    Bytes backwards = file;
    backwards[4] = 5; // xMin 5, xMax 1
    EXPECT_THROW(decode(translator, backwards), io::TranslatorFormatException);
    EXPECT_EQ(test::refusalOf(translator, Bytes(file.begin(), file.begin() + 895)),
              "PCX: file shorter than its header and 256-colour palette");
    EXPECT_EQ(test::refusalOf(translator, Bytes(file.begin(), file.begin() + 127)),
              "PCX: file shorter than its header");
    EXPECT_THROW(decode(translator,
                        pcxFile({.width = 2, .height = 2, .planes = 4, .encoded = {1, 2, 3, 4}})),
                 io::TranslatorFormatException)
        << "four 8-bit planes";
    EXPECT_THROW(
        decode(
            translator,
            pcxFile({.width = 2, .height = 2, .bitsPerPixel = 2, .planes = 2, .encoded = {1, 2}})),
        io::TranslatorFormatException);
}

TEST(PcxTruncation, MissingDataLeavesZerosAndADanglingRunIsDropped) {
    // Three planes (no trailing palette), one pixel a line: the data ends in a run count.
    auto image =
        decode(translator, pcxFile({.width = 1, .height = 2, .planes = 3, .encoded = {7, 0xC3}}));
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelsOf(*image), (Bytes{7, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(image->isTruncated());

    auto whole =
        decode(translator, pcxFile({.width = 1, .height = 2, .planes = 3, .encoded = {0xCC, 7}}));
    ASSERT_TRUE(whole);
    EXPECT_FALSE(whole->isTruncated());

    // A header and nothing after it holds no picture at all.
    EXPECT_EQ(test::refusalOf(translator, pcxFile({.width = 4, .height = 2, .bitsPerPixel = 1})),
              "PCX: no pixel data");
}

TEST(PcxIdentity, ChecksMakerVersionEncodingAndBits) {
    Bytes file = pcxFile({.width = 1, .height = 1, .encoded = {0}, .palette = rainbow()});
    io::MemoryFile good(file.data(), file.size());
    EXPECT_TRUE(translator.identify(&good));
    for (auto [offset, value] : std::vector<std::pair<int, int>>{{0, 11}, {1, 6}, {2, 0}, {3, 3}}) {
        Bytes bad = file;
        bad[std::size_t(offset)] = std::uint8_t(value);
        io::MemoryFile probe(bad.data(), bad.size());
        EXPECT_FALSE(translator.identify(&probe)) << "byte " << offset;
    }
    io::MemoryFile shortFile(file.data(), 100);
    EXPECT_FALSE(translator.identify(&shortFile));
    EXPECT_STREQ(translator.getClassName().cString(), "Object:Translator:TranslatorPCX");
}

} // namespace
} // namespace orvane::graphics
