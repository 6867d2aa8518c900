#include "orvane/graphics/TranslatorGIF.h"
#include "orvane/io/IOException.h"
#include "orvane/io/TranslatorException.h"
#include "tests/support/CodecFiles.h"
#include "tests/support/Decode.h"
#include "tests/support/FailingStream.h"

#include <gtest/gtest.h>

namespace orvane::graphics {
namespace {

using test::Bytes;
using test::decode;
using test::Gif;
using test::gifFile;
using test::GifImage;
using test::pixelsOf;

TranslatorGIF translator;

std::vector<test::Rgb> colours(int count, std::uint8_t base) {
    std::vector<test::Rgb> table;
    for (int i = 0; i < count; ++i)
        table.push_back({std::uint8_t(base + i), std::uint8_t(base + 2 * i), std::uint8_t(i)});
    return table;
}

Bytes entry(const Image& image, int index) {
    const std::uint8_t* e = image.palette()->entry(index);
    return Bytes(e, e + 4);
}

TEST(GifCanvas, InterlacedRowsLandInTheOrderOfTheFourPasses) {
    // Stored rows carry their position in the file: 0 to 8.
    std::vector<Bytes> stored;
    for (std::uint8_t i = 0; i < 9; ++i)
        stored.push_back({i, i});
    auto image = decode(
        translator,
        gifFile({.width = 2,
                 .height = 9,
                 .globalMap = colours(16, 0),
                 .images = {{.width = 2, .height = 9, .interlaced = true, .rows = stored}}}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), PixelFormat::INDEX8);
    // Pass 1 fills rows 0 and 8, pass 2 row 4, pass 3 rows 2 and 6, pass 4 the odd rows.
    const std::uint8_t fileRowOf[9] = {0, 5, 3, 6, 2, 7, 4, 8, 1};
    Bytes expected;
    for (std::uint8_t row : fileRowOf)
        expected.insert(expected.end(), {row, row});
    EXPECT_EQ(pixelsOf(*image), expected);
}

TEST(GifCanvas, ImagesAreDrawnOverTheBackgroundInFileOrder) {
    auto image = decode(
        translator, gifFile({.width = 4,
                             .height = 3,
                             .background = 7,
                             .globalMap = colours(16, 0),
                             .images = {{.width = 2, .height = 3, .rows = {{1, 2}, {3, 4}, {5, 6}}},
                                        {.left = 1,
                                         .top = 2,
                                         .width = 3,
                                         .height = 1,
                                         .rows = {{9, 10, 11}},
                                         .controlBlock = true}},
                             .comment = "extensions are skipped"}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getWidth(), 4);
    EXPECT_EQ(pixelsOf(*image), (Bytes{1, 2, 7, 7, /**/ 3, 4, 7, 7, /**/ 5, 9, 10, 11}));
}

TEST(GifPalette, ImagesSharingOneMapStayIndexedWithThatMap) {
    // The second image's local map holds the same colours as the screen's: one map.
    const Gif shared{
        .width = 2,
        .height = 1,
        .globalMap = colours(4, 100),
        .images = {
            {.width = 1, .height = 1, .rows = {{0}}},
            {.left = 1, .width = 1, .height = 1, .localMap = colours(4, 100), .rows = {{3}}}}};
    auto image = decode(translator, gifFile(shared));
    ASSERT_TRUE(image && image->palette());
    EXPECT_EQ(image->getFormat(), PixelFormat::INDEX8);
    EXPECT_EQ(pixelsOf(*image), (Bytes{0, 3}));
    EXPECT_EQ(entry(*image, 3), (Bytes{103, 106, 3, 0}));
    EXPECT_EQ(entry(*image, 4), (Bytes{0, 0, 0, 0})) << "only the map's own entries are set";

    // A single image with its own map takes that map as the palette.
    auto local = decode(
        translator,
        gifFile(
            {.width = 1,
             .height = 1,
             .globalMap = colours(4, 100),
             .images = {{.width = 1, .height = 1, .localMap = colours(8, 50), .rows = {{7}}}}}));
    ASSERT_TRUE(local && local->palette());
    EXPECT_EQ(entry(*local, 7), (Bytes{57, 64, 7, 0}));
}

TEST(GifPalette, ImagesWithTheirOwnMapsKeepTheirOwnColours) {
    // Three tiles of a still, each with its own map (as many-colour stills are written),
    // over a background from the screen's map.
    const Gif tiles{
        .width = 4,
        .height = 2,
        .background = 1,
        .globalMap = colours(4, 100),
        .images = {
            {.width = 1, .height = 2, .rows = {{2}, {3}}},
            {.left = 1, .width = 1, .height = 2, .localMap = colours(4, 10), .rows = {{2}, {3}}},
            {.left = 2,
             .width = 1,
             .height = 1,
             .interlaced = true,
             .localMap = colours(2, 200),
             .rows = {{1}}}}};
    auto image = decode(translator, gifFile(tiles));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), PixelFormat::RGBA32);
    EXPECT_EQ(image->palette(), nullptr);
    // colours(n, base)[i] is (base + i, base + 2i, i).
    EXPECT_EQ(pixelsOf(*image),
              (Bytes{102, 104, 2, 255, 12, 14, 2, 255, 201, 202, 1, 255, 101, 102, 1, 255, /**/
                     103, 106, 3, 255, 13, 16, 3, 255, 101, 102, 1, 255, 101, 102, 1, 255}));
}

TEST(GifPalette, LocalMapsAreComparedAfterGiflibHasLetGoOfThem) {
    // giflib frees an image's local map when it reads the next image: the first image's
    // map must have been kept to be compared with the second's.
    Gif twoLocal{
        .width = 2,
        .height = 1,
        .globalMap = colours(2, 0),
        .images = {
            {.width = 1, .height = 1, .localMap = colours(4, 40), .rows = {{3}}},
            {.left = 1, .width = 1, .height = 1, .localMap = colours(4, 40), .rows = {{1}}}}};
    auto same = decode(translator, gifFile(twoLocal));
    ASSERT_TRUE(same);
    EXPECT_EQ(same->getFormat(), PixelFormat::INDEX8);
    EXPECT_EQ(pixelsOf(*same), (Bytes{3, 1}));
    twoLocal.images[1].localMap = colours(4, 90);
    auto different = decode(translator, gifFile(twoLocal));
    ASSERT_TRUE(different);
    EXPECT_EQ(different->getFormat(), PixelFormat::RGBA32);
    EXPECT_EQ(pixelsOf(*different), (Bytes{43, 46, 3, 255, 91, 92, 1, 255}));
}

TEST(GifPalette, AFileWhoseTrailerIsMissingDecodes) {
    const Bytes whole = gifFile({.width = 3,
                                 .height = 1,
                                 .globalMap = colours(4, 0),
                                 .images = {{.width = 3, .height = 1, .rows = {{1, 2, 3}}}}});
    ASSERT_EQ(whole.back(), 0x3B);
    auto image = decode(translator, Bytes(whole.begin(), whole.end() - 1));
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelsOf(*image), (Bytes{1, 2, 3}));
    // Without any complete image, a missing trailer is still a cut file.
    const Bytes screenOnly = gifFile({.width = 3, .height = 1, .globalMap = colours(4, 0)});
    EXPECT_THROW(decode(translator, Bytes(screenOnly.begin(), screenOnly.end() - 1)),
                 io::TranslatorFormatException);
}

TEST(GifPalette, AFileWithoutAnyMapDecodesWithoutAPalette) {
    const Bytes file =
        test::withoutGlobalMap(gifFile({.width = 2,
                                        .height = 1,
                                        .globalMap = colours(4, 0),
                                        .images = {{.width = 2, .height = 1, .rows = {{3, 1}}}}}));
    auto image = decode(translator, file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->palette(), nullptr);
    EXPECT_EQ(pixelsOf(*image), (Bytes{3, 1}));
}

TEST(GifFailures, BadFilesRaiseTheFormatExceptionAndTheTranslatorGoesOn) {
    const Gif picture{.width = 3,
                      .height = 2,
                      .globalMap = colours(4, 0),
                      .images = {{.width = 3, .height = 2, .rows = {{1, 2, 3}, {3, 2, 1}}}}};
    const Bytes good = gifFile(picture);
    Gif outside = picture;
    outside.images[0].left = 1;
    Bytes wrongRecord = good;
    wrongRecord[wrongRecord.size() - 1] = 'x';
    const Bytes truncated(good.begin(), good.end() - 6);
    for (const Bytes& bad : {gifFile(outside), wrongRecord, truncated, Bytes{'G', 'I', 'F'}}) {
        EXPECT_THROW(decode(translator, bad), io::TranslatorFormatException);
        auto image = decode(translator, good);
        ASSERT_TRUE(image);
        EXPECT_EQ(pixelsOf(*image), (Bytes{1, 2, 3, 3, 2, 1}));
    }
}

TEST(GifFailures, HugeScreensAndStreamErrors) {
    EXPECT_THROW(
        decode(translator, gifFile({.width = 65535, .height = 65535, .globalMap = colours(2, 0)})),
        io::TranslatorMemoryException);
    const Bytes file =
        gifFile({.width = 3,
                 .height = 2,
                 .globalMap = colours(4, 0),
                 .images = {{.width = 3, .height = 2, .rows = {{1, 2, 3}, {3, 2, 1}}}}});
    for (std::size_t good : {std::size_t(0), std::size_t(8), file.size() - 4}) {
        test::FailingStream stream(file, good);
        EXPECT_THROW(translator.translate(&stream, -1), io::FileReadException) << good;
    }
}

TEST(GifCanvas, EmptyImagesAreReadPast) {
    auto image =
        decode(translator, gifFile({.width = 2,
                                    .height = 1,
                                    .globalMap = colours(2, 0),
                                    .images = {{.width = 0, .height = 0},
                                               {.width = 2, .height = 1, .rows = {{1, 1}}}}}));
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelsOf(*image), (Bytes{1, 1}));
}

} // namespace
} // namespace orvane::graphics
