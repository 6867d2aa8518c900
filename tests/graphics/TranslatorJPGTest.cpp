#include "orvane/graphics/TranslatorJPG.h"
#include "orvane/graphics/TranslatorRoster.h"
#include "orvane/io/IOException.h"
#include "orvane/io/TranslatorException.h"
#include "tests/support/CodecFiles.h"
#include "tests/support/Decode.h"
#include "tests/support/FailingStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace orvane::graphics {
namespace {

using test::Bytes;
using test::decode;
using test::Jpeg;
using test::jpegFile;
using test::pixelsOf;

TranslatorJPG translator;

// Flat 16 x 16 blocks (whole coding units) of one brightness each, in one tint (red above
// green above blue), so that chroma subsampling has nothing to blur: they survive JPEG
// compression almost unchanged.
Bytes blocks(int width, int height, int components) {
    Bytes samples;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c)
                samples.push_back(std::uint8_t(70 + 50 * ((x / 16 + y / 16) % 3) - 30 * c));
    return samples;
}

// Largest difference between two equally long byte runs.
int largestDifference(const Bytes& a, const Bytes& b) {
    int largest = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        largest = std::max(largest, std::abs(int(a[i]) - int(b[i])));
    return largest;
}

Bytes greyAsRgb(const Bytes& grey) {
    Bytes out;
    for (std::uint8_t g : grey)
        out.insert(out.end(), {g, g, g});
    return out;
}

TEST(JpegDecoding, ColourAndGreyPicturesBecomeRedGreenBlue) {
    const Bytes colour = blocks(24, 16, 3);
    auto image = decode(translator, jpegFile({.width = 24, .height = 16, .samples = colour}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), PixelFormat::RGB24);
    EXPECT_EQ(image->getWidth(), 24);
    EXPECT_EQ(image->getHeight(), 16);
    EXPECT_LE(largestDifference(pixelsOf(*image), colour), 3);

    const Bytes grey = blocks(17, 9, 1);
    auto mono =
        decode(translator,
               jpegFile({.width = 17, .height = 9, .colourSpace = JCS_GRAYSCALE, .samples = grey}));
    ASSERT_TRUE(mono);
    EXPECT_EQ(mono->getFormat(), PixelFormat::RGB24);
    const Bytes out = pixelsOf(*mono);
    ASSERT_EQ(out.size(), 17u * 9u * 3u);
    bool equalChannels = true;
    for (std::size_t i = 0; i < out.size(); i += 3)
        equalChannels = equalChannels && out[i] == out[i + 1] && out[i] == out[i + 2];
    EXPECT_TRUE(equalChannels) << "red, green and blue are equal";
    EXPECT_LE(largestDifference(out, greyAsRgb(grey)), 3);
}

TEST(JpegDecoding, ProgressiveFilesDecodeAndEndlessScansAreRefused) {
    const Bytes grey = blocks(16, 16, 1);
    auto image = decode(translator, jpegFile({.width = 16,
                                              .height = 16,
                                              .colourSpace = JCS_GRAYSCALE,
                                              .progressive = true,
                                              .samples = grey}));
    ASSERT_TRUE(image);
    EXPECT_LE(largestDifference(pixelsOf(*image), greyAsRgb(grey)), 3);
    EXPECT_THROW(decode(translator, jpegFile({.width = 16,
                                              .height = 16,
                                              .colourSpace = JCS_GRAYSCALE,
                                              .scans = test::everyBitScans(),
                                              .samples = grey})),
                 io::TranslatorFormatException);
}

TEST(JpegDecoding, AFileCutInItsImageDataKeepsItsPicture) {
    Bytes colour = blocks(64, 64, 3);
    for (std::size_t i = 0; i < colour.size(); ++i) // detail, so that the data is long
        colour[i] = std::uint8_t(colour[i] + (i * 7919 % 13));
    const Bytes file = jpegFile({.width = 64, .height = 64, .samples = colour});
    auto whole = decode(translator, file);
    ASSERT_TRUE(whole);
    const Bytes startOfScan = {0xFF, 0xDA};
    const auto scan = std::search(file.begin(), file.end(), startOfScan.begin(), startOfScan.end());
    ASSERT_NE(scan, file.end());
    const Bytes cut(file.begin(), scan + (file.end() - scan) / 2);
    auto image = decode(translator, cut);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getHeight(), 64);
    const Bytes out = pixelsOf(*image);
    const long firstRows = 64 * 3 * 8;
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + firstRows, pixelsOf(*whole).begin()))
        << "the rows before the cut are intact";
    EXPECT_TRUE(image->isTruncated());
    EXPECT_FALSE(whole->isTruncated());
}

TEST(JpegDecoding, ExifAndBareFilesAreRecognisedByTheirStartOfImage) {
    const Bytes colour = blocks(8, 8, 3);
    const Bytes exif = jpegFile({.width = 8, .height = 8, .jfif = false, .samples = colour});
    // Without JFIF or Exif: the tables come straight after the start-of-image marker.
    const Bytes bare =
        jpegFile({.width = 8, .height = 8, .jfif = false, .exif = false, .samples = colour});
    const Bytes jfif = jpegFile({.width = 8, .height = 8, .samples = colour});
    ASSERT_EQ(bare[3], 0xDB) << "a quantisation table first";
    TranslatorRoster roster;
    for (const Bytes* file : {&exif, &bare, &jfif}) {
        io::MemoryFile memory(file->data(), file->size());
        auto* found = roster.findTranslator(&memory);
        ASSERT_NE(found, nullptr);
        EXPECT_STREQ(found->getClassName().cString(), "Object:Translator:TranslatorJPG");
        auto image = decode(translator, *file);
        ASSERT_TRUE(image);
        EXPECT_LE(largestDifference(pixelsOf(*image), colour), 3);
    }
    // Two bytes of the marker are not enough: other formats' files are left alone.
    io::MemoryFile almost("\xFF\xD8\x00\x00", 4);
    EXPECT_FALSE(translator.identify(&almost));
}

// The file without its Adobe (APP14) segment.
Bytes withoutAdobeMarker(Bytes file) {
    for (std::size_t at = 2; at + 4 <= file.size() && file[at] == 0xFF && file[at + 1] != 0xDA;) {
        const std::size_t length = std::size_t(file[at + 2] << 8 | file[at + 3]);
        if (file[at + 1] == 0xEE) {
            file.erase(file.begin() + long(at), file.begin() + long(at + 2 + length));
            return file;
        }
        at += 2 + length;
    }
    ADD_FAILURE() << "no Adobe segment";
    return file;
}

TEST(JpegDecoding, InkPicturesBecomeRedGreenBlue) {
    // Adobe's CMYK samples are inverted: 255 is no ink. Flat blocks: no ink, full cyan,
    // full magenta and yellow, half black.
    const std::uint8_t inks[4][4] = {
        {255, 255, 255, 255}, {0, 255, 255, 255}, {255, 0, 0, 255}, {255, 255, 255, 128}};
    const std::uint8_t expected[4][3] = {
        {255, 255, 255}, {0, 255, 255}, {255, 0, 0}, {128, 128, 128}};
    Bytes samples;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x)
            samples.insert(samples.end(), inks[x / 16], inks[x / 16] + 4);
    for (J_COLOR_SPACE stored : {JCS_CMYK, JCS_YCCK}) {
        const Bytes file = jpegFile({.width = 64,
                                     .height = 16,
                                     .colourSpace = JCS_CMYK,
                                     .quality = 100,
                                     .storedSpace = stored,
                                     .samples = samples});
        auto image = decode(translator, file);
        ASSERT_TRUE(image) << stored;
        EXPECT_EQ(image->getFormat(), PixelFormat::RGB24);
        const Bytes out = pixelsOf(*image);
        for (int block = 0; block < 4; ++block)
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(out[std::size_t(8 * 64 * 3 + (block * 16 + 8) * 3 + c)],
                            expected[block][c], 3)
                    << "space " << stored << " block " << block << " channel " << c;
    }

    // Without Adobe's marker the samples are read the same way: encoders that leave it out
    // still write inverted samples.
    const Bytes file = withoutAdobeMarker(jpegFile({.width = 64,
                                                    .height = 16,
                                                    .colourSpace = JCS_CMYK,
                                                    .quality = 100,
                                                    .storedSpace = JCS_CMYK,
                                                    .samples = samples}));
    auto unmarked = decode(translator, file);
    ASSERT_TRUE(unmarked);
    const Bytes out = pixelsOf(*unmarked);
    for (int block = 0; block < 4; ++block)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(out[std::size_t(8 * 64 * 3 + (block * 16 + 8) * 3 + c)], expected[block][c],
                        3)
                << "without the marker, block " << block << " channel " << c;
}

// The file with its frame header's height and width replaced.
Bytes withSize(Bytes file, unsigned width, unsigned height) {
    for (std::size_t i = 2; i + 8 < file.size(); ++i) {
        if (file[i] == 0xFF && (file[i + 1] == 0xC0 || file[i + 1] == 0xC2)) {
            file[i + 5] = std::uint8_t(height >> 8);
            file[i + 6] = std::uint8_t(height);
            file[i + 7] = std::uint8_t(width >> 8);
            file[i + 8] = std::uint8_t(width);
            break;
        }
    }
    return file;
}

TEST(JpegFailures, BadFilesRaiseTheFormatExceptionAndTheTranslatorGoesOn) {
    const Bytes colour = blocks(8, 8, 3);
    const Bytes good = jpegFile({.width = 8, .height = 8, .samples = colour});
    const Bytes headerOnly(good.begin(), good.begin() + 20);
    EXPECT_EQ(test::refusalOf(translator, Bytes{'n', 'o', 't', ' ', 'J', 'P', 'E', 'G'}),
              "JPEG: Not a JPEG file: starts with 0x6e 0x6f");
    for (const Bytes& bad : {Bytes{}, headerOnly, Bytes{'n', 'o', 't', ' ', 'J', 'P', 'E', 'G'}}) {
        EXPECT_THROW(decode(translator, bad), io::TranslatorFormatException);
        auto image = decode(translator, good);
        ASSERT_TRUE(image);
        EXPECT_LE(largestDifference(pixelsOf(*image), colour), 3);
    }
}

TEST(JpegFailures, HugePicturesAndStreamErrors) {
    const Bytes small = jpegFile({.width = 8, .height = 8, .samples = blocks(8, 8, 3)});
    EXPECT_THROW(decode(translator, withSize(small, 65000, 65000)), io::TranslatorMemoryException);
    for (std::size_t good : {std::size_t(0), std::size_t(100)}) {
        test::FailingStream stream(small, good);
        EXPECT_THROW(translator.translate(&stream, -1), io::FileReadException) << good;
    }
}

} // namespace
} // namespace orvane::graphics
