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

// What a graphic control extension says: the image's disposal method and transparent index
// (-1: none).
struct Control {
    int disposal = 0;
    int transparent = -1;
};

// The file with the graphic control extensions gifFile() wrote (one before each image with
// controlBlock) set, in file order, to controls.
Bytes withControls(Bytes gif, const std::vector<Control>& controls) {
    std::size_t at = 13;
    if (gif[10] & 0x80)
        at += 3u << ((gif[10] & 7) + 1);
    auto skipSubBlocks = [&] {
        while (gif.at(at) != 0)
            at += gif[at] + 1u;
        ++at;
    };
    std::size_t next = 0;
    while (gif.at(at) != 0x3B) {
        if (gif[at] == 0x21) {
            if (gif[at + 1] == 0xF9 && next < controls.size()) {
                const Control& c = controls[next++];
                gif[at + 3] = std::uint8_t(c.disposal << 2 | (c.transparent >= 0 ? 1 : 0));
                gif[at + 6] = std::uint8_t(std::max(c.transparent, 0));
            }
            at += 2;
        } else { // an image: descriptor, local map, code size, then its data
            const std::uint8_t flags = gif.at(at + 9);
            at += 10 + ((flags & 0x80) ? 3u << ((flags & 7) + 1) : 0) + 1;
        }
        skipSubBlocks();
    }
    EXPECT_EQ(next, controls.size()) << "one control block for each setting";
    return gif;
}

// A screen of width x 1 over the map colours(16, 0), with background index 7.
Gif strip(int width, std::vector<GifImage> images) {
    return {.width = width,
            .height = 1,
            .background = 7,
            .globalMap = colours(16, 0),
            .images = std::move(images)};
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
    Bytes wrongRecord = good;
    wrongRecord[wrongRecord.size() - 1] = 'x';
    const Bytes truncated(good.begin(), good.end() - 6);
    for (const Bytes& bad : {wrongRecord, truncated, Bytes{'G', 'I', 'F'}}) {
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

TEST(GifCanvas, ImagesReachingOutsideTheScreenAreClippedToIt) {
    // A 3 x 2 screen: an image hanging over the bottom-right corner, one wholly to the right
    // of the screen (read past), then one in the top-left corner.
    auto image = decode(
        translator,
        gifFile(
            {.width = 3,
             .height = 2,
             .background = 7,
             .globalMap = colours(16, 0),
             .images = {
                 {.left = 1, .top = 1, .width = 3, .height = 2, .rows = {{1, 2, 3}, {4, 5, 6}}},
                 {.left = 3, .width = 2, .height = 2, .interlaced = true, .rows = {{9, 9}, {9, 9}}},
                 {.width = 1, .height = 1, .rows = {{8}}}}}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), PixelFormat::INDEX8);
    EXPECT_EQ(pixelsOf(*image), (Bytes{8, 7, 7, /**/ 7, 1, 2}));
}

TEST(GifTransparency, TransparentPixelsLeaveWhatLiesBelow) {
    // The second image's index 3 is transparent: the first image's pixels stay, and the
    // picture stays indexed.
    auto image =
        decode(translator,
               withControls(
                   gifFile(strip(
                       3, {{.width = 3, .height = 1, .rows = {{1, 2, 3}}},
                           {.width = 3, .height = 1, .rows = {{3, 5, 3}}, .controlBlock = true}})),
                   {{.transparent = 3}}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), PixelFormat::INDEX8);
    EXPECT_EQ(pixelsOf(*image), (Bytes{1, 5, 3}));
}

TEST(GifTransparency, ATransparentFirstImageGivesAlpha) {
    // Its transparent pixels keep their colour, and the screen it leaves uncovered is the
    // background colour, both transparent. colours(n, base)[i] is (base + i, base + 2i, i).
    auto image = decode(
        translator,
        withControls(
            gifFile(strip(3, {{.width = 2, .height = 1, .rows = {{3, 4}}, .controlBlock = true}})),
            {{.transparent = 3}}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), PixelFormat::RGBA32);
    EXPECT_EQ(pixelsOf(*image), (Bytes{3, 6, 3, 0, 4, 8, 4, 255, 7, 14, 7, 0}));

    // A transparent index that no pixel uses changes nothing.
    auto unused = decode(
        translator,
        withControls(
            gifFile(strip(2, {{.width = 2, .height = 1, .rows = {{1, 2}}, .controlBlock = true}})),
            {{.transparent = 3}}));
    ASSERT_TRUE(unused);
    EXPECT_EQ(unused->getFormat(), PixelFormat::INDEX8);
    EXPECT_EQ(pixelsOf(*unused), (Bytes{1, 2}));
}

TEST(GifTransparency, DisposalHappensBeforeTheNextImage) {
    // Restore to previous: the second image is gone when the third is drawn.
    auto restored = decode(
        translator,
        withControls(
            gifFile(
                strip(3, {{.width = 3, .height = 1, .rows = {{1, 2, 3}}},
                          {.left = 1, .width = 1, .height = 1, .rows = {{4}}, .controlBlock = true},
                          {.left = 2, .width = 1, .height = 1, .rows = {{5}}}})),
            {{.disposal = 3}}));
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->getFormat(), PixelFormat::INDEX8);
    EXPECT_EQ(pixelsOf(*restored), (Bytes{1, 2, 5}));
    // The first image restored gives back the plain screen.
    auto first = decode(
        translator,
        withControls(
            gifFile(strip(2, {{.width = 2, .height = 1, .rows = {{1, 2}}, .controlBlock = true},
                              {.left = 1, .width = 1, .height = 1, .rows = {{4}}}})),
            {{.disposal = 3}}));
    ASSERT_TRUE(first);
    EXPECT_EQ(pixelsOf(*first), (Bytes{7, 4}));

    // Restore to background: the first image's area turns transparent, keeping its
    // colours; where the next image is transparent too nothing is left (transparent
    // black). The last image's own disposal has not happened.
    auto cleared = decode(
        translator,
        withControls(
            gifFile(strip(
                3, {{.width = 2, .height = 1, .rows = {{1, 2}}, .controlBlock = true},
                    {.left = 1, .width = 2, .height = 1, .rows = {{5, 6}}, .controlBlock = true}})),
            {{.disposal = 2}, {.disposal = 2, .transparent = 5}}));
    ASSERT_TRUE(cleared);
    EXPECT_EQ(cleared->getFormat(), PixelFormat::RGBA32);
    EXPECT_EQ(pixelsOf(*cleared), (Bytes{1, 2, 1, 0, 0, 0, 0, 0, 6, 12, 6, 255}));
}

} // namespace
} // namespace orvane::graphics
