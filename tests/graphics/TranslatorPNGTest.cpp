#include "orvane/graphics/TranslatorPNG.h"
#include "orvane/io/IOException.h"
#include "orvane/io/TranslatorException.h"
#include "tests/support/CodecFiles.h"
#include "tests/support/Decode.h"
#include "tests/support/FailingStream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <zlib.h>

namespace orvane::graphics {
namespace {

using test::Bytes;
using test::decode;
using test::Png;
using test::pngFile;
using test::pngRows;
using Samples = std::vector<std::vector<unsigned>>;

TranslatorPNG translator;

object::Pointer<Image> decodePng(const Png& png) {
    return decode(translator, pngFile(png));
}

Bytes pixels(Image& image) {
    return test::pixelsOf(image);
}

Bytes flatten(const Samples& samples) {
    Bytes out;
    for (const auto& row : samples)
        for (unsigned s : row)
            out.push_back(std::uint8_t(s));
    return out;
}

Bytes entry(const Image& image, int index) {
    const std::uint8_t* e = image.palette()->entry(index);
    return Bytes(e, e + 4);
}

// Two rows of values covering each depth's whole range.
Samples ramp(int depth, int channels, int width = 5) {
    const unsigned top = (1u << depth) - 1;
    Samples rows(2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < width * channels; ++x)
            rows[std::size_t(y)].push_back(unsigned(x * 37 + y * 11 + 3) % (top + 1));
    return rows;
}

// 16-bit samples come out as their high byte; 8-bit ones as they are.
Samples toEightBits(Samples rows, int depth) {
    for (auto& row : rows)
        for (unsigned& s : row)
            s = depth == 16 ? s >> 8 : s;
    return rows;
}

// Grey levels of 1, 2 and 4 bits span 0..255: 1 bit gives 0 and 255, 2 bits steps of 85,
// 4 bits steps of 17.
Samples greyToEightBits(Samples rows, int depth) {
    if (depth >= 8)
        return toEightBits(rows, depth);
    for (auto& row : rows)
        for (unsigned& s : row)
            s = s * 255 / ((1u << depth) - 1);
    return rows;
}

TEST(PngFormats, GreyLevelsOfEveryDepthSpanTheWholeByte) {
    for (int depth : {1, 2, 4, 8, 16}) {
        const Samples samples = ramp(depth, 1);
        auto image = decodePng({.width = 5,
                                .height = 2,
                                .bitDepth = depth,
                                .colourType = PNG_COLOR_TYPE_GRAY,
                                .rows = pngRows(samples, depth)});
        ASSERT_TRUE(image) << depth;
        EXPECT_EQ(image->getFormat(), PixelFormat::GREY8) << depth;
        EXPECT_EQ(pixels(*image), flatten(greyToEightBits(samples, depth))) << depth;
        EXPECT_EQ(image->palette(), nullptr);
    }
    // With a transparent grey level the levels scale the same, beside their alpha.
    auto keyed = decodePng({.width = 4,
                            .height = 1,
                            .bitDepth = 2,
                            .colourType = PNG_COLOR_TYPE_GRAY,
                            .rows = pngRows({{0, 1, 2, 3}}, 2),
                            .key = png_color_16{0, 0, 0, 0, 2}});
    ASSERT_TRUE(keyed);
    EXPECT_EQ(keyed->getFormat(), PixelFormat::GREY_ALPHA16);
    EXPECT_EQ(pixels(*keyed), (Bytes{0, 255, 85, 255, 170, 0, 255, 255}));
}

TEST(PngFormats, PaletteIndicesOfEveryDepthKeepTheirPalette) {
    for (int depth : {1, 2, 4, 8}) {
        const Samples samples = ramp(depth, 1);
        std::vector<test::Rgb> colours;
        for (int i = 0; i < (1 << depth); ++i)
            colours.push_back({std::uint8_t(i), std::uint8_t(100 + i / 2), std::uint8_t(255 - i)});
        auto image = decodePng({.width = 5,
                                .height = 2,
                                .bitDepth = depth,
                                .colourType = PNG_COLOR_TYPE_PALETTE,
                                .rows = pngRows(samples, depth),
                                .palette = colours});
        ASSERT_TRUE(image) << depth;
        EXPECT_EQ(image->getFormat(), PixelFormat::INDEX8);
        EXPECT_EQ(pixels(*image), flatten(samples)) << depth;
        const int last = (1 << depth) - 1;
        EXPECT_EQ(entry(*image, last), (Bytes{std::uint8_t(last), std::uint8_t(100 + last / 2),
                                              std::uint8_t(255 - last), 0}));
        if (last < 255) {
            EXPECT_EQ(entry(*image, last + 1), (Bytes{0, 0, 0, 0}));
        }
    }
}

TEST(PngFormats, ColourAndAlphaTypesAtEightAndSixteenBits) {
    struct Case {
        int colourType;
        int channels;
        std::uint32_t format;
    };
    for (Case c : {Case{PNG_COLOR_TYPE_RGB, 3, PixelFormat::RGB24},
                   Case{PNG_COLOR_TYPE_RGB_ALPHA, 4, PixelFormat::RGBA32},
                   Case{PNG_COLOR_TYPE_GRAY_ALPHA, 2, PixelFormat::GREY_ALPHA16}}) {
        for (int depth : {8, 16}) {
            const Samples samples = ramp(depth, c.channels, 3);
            auto image = decodePng({.width = 3,
                                    .height = 2,
                                    .bitDepth = depth,
                                    .colourType = c.colourType,
                                    .rows = pngRows(samples, depth)});
            ASSERT_TRUE(image) << c.colourType << "/" << depth;
            EXPECT_EQ(image->getFormat(), c.format);
            EXPECT_EQ(pixels(*image), flatten(toEightBits(samples, depth)))
                << c.colourType << "/" << depth;
        }
    }
}

TEST(PngFormats, InterlacedFilesDecodeToTheSamePixels) {
    Samples tall;
    for (int y = 0; y < 11; ++y)
        tall.push_back(ramp(8, 3, 9)[std::size_t(y % 2)]), tall.back()[0] = unsigned(y);
    for (bool interlaced : {false, true}) {
        auto colour = decodePng(
            {.width = 9, .height = 11, .interlaced = interlaced, .rows = pngRows(tall, 8)});
        ASSERT_TRUE(colour);
        EXPECT_EQ(pixels(*colour), flatten(tall)) << interlaced;
        auto indexed = decodePng({.width = 13,
                                  .height = 2,
                                  .bitDepth = 4,
                                  .colourType = PNG_COLOR_TYPE_PALETTE,
                                  .interlaced = interlaced,
                                  .rows = pngRows(ramp(4, 1, 13), 4),
                                  .palette = std::vector<test::Rgb>(16)});
        ASSERT_TRUE(indexed);
        EXPECT_EQ(pixels(*indexed), flatten(ramp(4, 1, 13))) << interlaced;
    }
    // Pictures so small that some of the seven passes are empty: every pixel is still
    // written (the decoder does not clear the pixel memory first).
    for (png_uint_32 width : {1u, 2u, 3u, 5u}) {
        for (png_uint_32 height : {1u, 2u, 3u, 5u}) {
            Samples samples(height);
            for (png_uint_32 y = 0; y < height; ++y)
                for (png_uint_32 x = 0; x < width; ++x)
                    samples[y].push_back(1 + x + 10 * y);
            auto image = decodePng({.width = width,
                                    .height = height,
                                    .colourType = PNG_COLOR_TYPE_GRAY,
                                    .interlaced = true,
                                    .rows = pngRows(samples, 8)});
            ASSERT_TRUE(image);
            EXPECT_EQ(pixels(*image), flatten(samples)) << width << " x " << height;
        }
    }
}

TEST(PngTransparency, PaletteWithTrnsExpandsToColourAndAlphaAndKeepsThePalette) {
    auto image = decodePng({.width = 3,
                            .height = 1,
                            .bitDepth = 2,
                            .colourType = PNG_COLOR_TYPE_PALETTE,
                            .rows = pngRows({{0, 1, 2}}, 2),
                            .palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}},
                            .paletteAlpha = {0, 128}});
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), PixelFormat::RGBA32);
    EXPECT_EQ(pixels(*image), (Bytes{10, 20, 30, 0, 40, 50, 60, 128, 70, 80, 90, 255}));
    ASSERT_NE(image->palette(), nullptr);
    EXPECT_EQ(entry(*image, 2), (Bytes{70, 80, 90, 0}));
}

TEST(PngTransparency, ColourKeysBecomeAlpha) {
    auto grey = decodePng({.width = 3,
                           .height = 1,
                           .colourType = PNG_COLOR_TYPE_GRAY,
                           .rows = {{5, 9, 5}},
                           .key = png_color_16{0, 0, 0, 0, 9}});
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey->getFormat(), PixelFormat::GREY_ALPHA16);
    EXPECT_EQ(pixels(*grey), (Bytes{5, 255, 9, 0, 5, 255}));

    auto colour = decodePng({.width = 2,
                             .height = 1,
                             .rows = {{1, 2, 3, 4, 5, 6}},
                             .key = png_color_16{0, 4, 5, 6, 0}});
    ASSERT_TRUE(colour);
    EXPECT_EQ(colour->getFormat(), PixelFormat::RGBA32);
    EXPECT_EQ(pixels(*colour), (Bytes{1, 2, 3, 255, 4, 5, 6, 0}));
}

TEST(PngTransparency, AlphaIsComposedOnTheFilesBackground) {
    auto image = decodePng({.width = 2,
                            .height = 1,
                            .colourType = PNG_COLOR_TYPE_RGB_ALPHA,
                            .rows = {{200, 100, 50, 255, 200, 100, 50, 0}},
                            .background = png_color_16{0, 7, 8, 9, 0}});
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), PixelFormat::RGB24);
    EXPECT_EQ(pixels(*image), (Bytes{200, 100, 50, 7, 8, 9}));
}

TEST(PngTransparency, SixteenBitAlphaIsComposedInLinearLightAtFullPrecision) {
    // A file of gamma 1 / 2.2 (no correction for the screen, so the composite is stored in
    // the file's own encoding): alpha is composed on the background in linear light. Near
    // black that used to move in steps of 8 levels.
    const double fileGamma = 0.45455;
    const unsigned background[3] = {22925, 6486, 55306};
    const std::vector<unsigned> pixel[4] = {{55929, 961, 59433, 62906},
                                            {33838, 2178, 30290, 56217},
                                            {40000, 20000, 60000, 32768},
                                            {40000, 20000, 60000, 65535}};
    auto composite = [&](const std::vector<unsigned>& p, int c) {
        const double a = p[3] / 65535.0;
        const double linear = a * std::pow(p[std::size_t(c)] / 65535.0, 1 / fileGamma) +
                              (1 - a) * std::pow(background[c] / 65535.0, 1 / fileGamma);
        return 255 * std::pow(linear, fileGamma);
    };
    // An 8 x 8 picture of the four pixels, so that interlaced files use every pass.
    Samples samples(8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            for (unsigned v : pixel[(x + y) % 4])
                samples[std::size_t(y)].push_back(v);
    for (bool interlaced : {false, true}) {
        auto image = decodePng(
            {.width = 8,
             .height = 8,
             .bitDepth = 16,
             .colourType = PNG_COLOR_TYPE_RGB_ALPHA,
             .interlaced = interlaced,
             .rows = pngRows(samples, 16),
             .background = png_color_16{0, png_uint_16(background[0]), png_uint_16(background[1]),
                                        png_uint_16(background[2]), 0},
             .gamma = fileGamma});
        ASSERT_TRUE(image);
        EXPECT_EQ(image->getFormat(), PixelFormat::RGB24);
        const Bytes out = pixels(*image);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(out[std::size_t(24 * y + 3 * x + c)],
                                composite(pixel[(x + y) % 4], c), 1.0)
                        << "interlaced " << interlaced << " at " << x << ", " << y << " channel "
                        << c;
        // Opaque pixels keep their samples' high byte, as without a background.
        EXPECT_EQ(Bytes(out.begin() + 9, out.begin() + 12), (Bytes{156, 78, 234}));
    }
}

TEST(PngTransparency, FileGammaIsCorrectedForTheScreen) {
    // A linear file (gamma 1) on a 2.2 screen: the ends stay, the middle brightens.
    auto image = decodePng({.width = 3,
                            .height = 1,
                            .colourType = PNG_COLOR_TYPE_GRAY,
                            .rows = {{0, 64, 255}},
                            .gamma = 1.0});
    ASSERT_TRUE(image);
    const Bytes out = pixels(*image);
    EXPECT_EQ(out[0], 0);
    EXPECT_NEAR(out[1], 136, 1); // 255 * (64 / 255) ^ (1 / 2.2)
    EXPECT_EQ(out[2], 255);
}

TEST(PngTransparency, PaletteGammaFollowsOneRuleForEveryDepthAndInterlacing) {
    // The same four colours stored at every palette depth, plain and interlaced: all
    // decode to the same gamma-corrected palette.
    const std::vector<test::Rgb> colours = {
        {0, 0, 0}, {64, 128, 192}, {10, 20, 30}, {255, 255, 255}};
    const Samples indices = {{0, 1, 2, 3, 1, 2, 3, 0, 2}, {3, 2, 1, 0, 3, 2, 1, 0, 1}};
    std::vector<Bytes> decoded;
    for (int depth : {2, 4, 8})
        for (bool interlaced : {false, true}) {
            auto image = decodePng({.width = 9,
                                    .height = 2,
                                    .bitDepth = depth,
                                    .colourType = PNG_COLOR_TYPE_PALETTE,
                                    .interlaced = interlaced,
                                    .rows = pngRows(indices, depth),
                                    .palette = colours,
                                    .gamma = 1.0});
            ASSERT_TRUE(image && image->palette()) << depth;
            EXPECT_EQ(image->getFormat(), PixelFormat::INDEX8);
            EXPECT_EQ(pixels(*image), flatten(indices)) << depth << " " << interlaced;
            Bytes palette;
            for (int i = 0; i < 4; ++i)
                test::append(palette, entry(*image, i));
            decoded.push_back(palette);
        }
    for (const Bytes& palette : decoded)
        EXPECT_EQ(palette, decoded.front());
    // Gamma 1 on a 2.2 screen: 64 becomes 255 * (64 / 255) ^ (1 / 2.2).
    EXPECT_NEAR(decoded.front()[4], 136, 1);
    EXPECT_EQ(decoded.front()[12], 255);

    // An insignificant gamma (within 5 % of the screen's) leaves the palette alone.
    auto near = decodePng({.width = 9,
                           .height = 2,
                           .bitDepth = 8,
                           .colourType = PNG_COLOR_TYPE_PALETTE,
                           .rows = pngRows(indices, 8),
                           .palette = colours,
                           .gamma = 1 / 2.25});
    ASSERT_TRUE(near);
    EXPECT_EQ(entry(*near, 1), (Bytes{64, 128, 192, 0}));
}

// The file with its IHDR size replaced (and the chunk's CRC made right again).
Bytes withSize(Bytes file, std::uint32_t width, std::uint32_t height) {
    for (int i = 0; i < 4; ++i) {
        file[16 + std::size_t(i)] = std::uint8_t(width >> (24 - 8 * i));
        file[20 + std::size_t(i)] = std::uint8_t(height >> (24 - 8 * i));
    }
    const uLong crc = crc32(0, file.data() + 12, 17);
    for (int i = 0; i < 4; ++i)
        file[29 + std::size_t(i)] = std::uint8_t(crc >> (24 - 8 * i));
    return file;
}

TEST(PngFailures, MalformedFilesRaiseTheFormatExceptionAndTheTranslatorGoesOn) {
    const Bytes good =
        pngFile({.width = 4, .height = 4, .rows = std::vector<Bytes>(4, Bytes(12, 7))});
    Bytes badSignature = good;
    badSignature[1] = 'X';
    Bytes badCrc = good;
    badCrc[20] ^= 1;
    const Bytes truncated(good.begin(), good.end() - 30);
    for (const Bytes& bad : {badSignature, badCrc, truncated, Bytes{}}) {
        EXPECT_THROW(decode(translator, bad), io::TranslatorFormatException);
        auto image = decode(translator, good);
        ASSERT_TRUE(image) << "one translator reads file after file, also after a failure";
        EXPECT_EQ(pixels(*image), Bytes(48, 7));
    }
}

TEST(PngFailures, OversizedPicturesAreRefusedBeforeAllocating) {
    const Bytes small = pngFile({.width = 1, .height = 1, .rows = {{1, 2, 3}}});
    EXPECT_THROW(decode(translator, withSize(small, 100000, 100000)),
                 io::TranslatorMemoryException);
    EXPECT_THROW(decode(translator, withSize(small, 10000000, 1)), io::TranslatorMemoryException);
    EXPECT_THROW(decode(translator, withSize(small, 1, 50000000)), io::TranslatorMemoryException);
    EXPECT_THROW(decode(translator, withSize(small, 2, 1)), io::TranslatorFormatException)
        << "within the cap, the missing data is a format error";
}

TEST(PngFailures, StreamErrorsPassThrough) {
    const Bytes file =
        pngFile({.width = 4, .height = 4, .rows = std::vector<Bytes>(4, Bytes(12, 7))});
    for (std::size_t good : {std::size_t(0), std::size_t(20), file.size() - 20}) {
        test::FailingStream stream(file, good);
        EXPECT_THROW(translator.translate(&stream, -1), io::FileReadException) << good;
    }
}

} // namespace
} // namespace orvane::graphics
