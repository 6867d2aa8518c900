#include "orvane/graphics/Image.h"
#include "tests/support/Decode.h"

#include <gtest/gtest.h>

namespace orvane::graphics {
namespace {

using test::Bytes;
using test::pixelsOf;

TEST(ImageRows, RowSizeFollowsTheFormatsBytesPerPixel) {
    const std::pair<std::uint32_t, int> table[] = {
        {PixelFormat::INDEX8, 5},  {PixelFormat::GREY8, 5},
        {PixelFormat::RGB15, 10},  {PixelFormat::RGB16, 10},
        {0x00100009, 30},          {0x0010000B, 30},
        {0x0010000E, 10},          {0x0010000F, 10},
        {PixelFormat::DUDV16, 10}, {PixelFormat::RGB24, 15},
        {PixelFormat::BGR24, 15},  {PixelFormat::RGBA32, 20},
        {PixelFormat::BGRA32, 20}, {0x00200010, 20},
        {0x00200012, 20},          {0x00240005, 25},
        {0x0040000A, 40},          {0x0040000C, 40},
        {0x10100017, 10},          {0x10200018, 20},
        {0x10300014, 30},          {0x10300016, 30},
        {0x10400013, 40},          {0x10400015, 40},
        {0x3060001A, 60},          {0x3060001C, 60},
        {0x30800019, 80},          {0x3080001B, 80},
        {PixelFormat::DXT1, 0},    {PixelFormat::DXT3, 0},
        {PixelFormat::DXT5, 0},    {0, 0},
        {0x00180005, 0},
    };
    for (auto [format, rowBytes] : table)
        EXPECT_EQ(Image(format, 5, 2).getRowBytes(), rowBytes) << std::hex << format;
}

TEST(ImagePixels, MemoryIsMadeOnceZeroedAndOnlyForSensibleSizes) {
    Image image(PixelFormat::RGB24, 3, 2);
    void* first = image.pixels();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(image.pixels(), first);
    EXPECT_EQ(pixelsOf(image), Bytes(18, 0));

    Image compressed(PixelFormat::DXT1, 64, 64);
    EXPECT_NE(compressed.pixels(), nullptr) << "a zero-sized block";
    EXPECT_EQ(compressed.pixelBytes(), 0);

    Image negative(PixelFormat::RGB24, -3, 2);
    EXPECT_EQ(negative.pixels(), nullptr);
    Image overflowing(PixelFormat::BGRA32, 0x40000000, 1);
    EXPECT_EQ(overflowing.getRowBytes(), -1);
    EXPECT_EQ(overflowing.pixels(), nullptr);
    const std::int32_t size[2] = {4, 3};
    EXPECT_EQ(Image(PixelFormat::GREY8, size).pixelBytes(), 12);
}

TEST(ImagePalette, IsMadeOnFirstSetAndCopiedInAndOut) {
    Image image(PixelFormat::INDEX8, 1, 1);
    Image::ColourPalette out;
    out.set(0, 9, 9, 9, 9);
    EXPECT_FALSE(image.getPalette(&out));
    EXPECT_EQ(out.entry(0)[0], 9) << "left untouched";
    Image::ColourPalette colours;
    colours.set(255, 1, 2, 3, 4);
    EXPECT_TRUE(image.setPalette(&colours));
    colours.set(255, 0, 0, 0, 0);
    ASSERT_TRUE(image.getPalette(&out));
    EXPECT_EQ(Bytes(out.entry(255), out.entry(255) + 4), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(out.entry(0)[0], 0);
    EXPECT_STREQ(colours.getClassName().cString(), "Object:Palette");
}

TEST(ImageCopies, CopyPixelsTakesTheCommonTopLeftPart) {
    Image small(PixelFormat::GREY8, 2, 2);
    auto* p = static_cast<std::uint8_t*>(small.pixels());
    p[0] = 1, p[1] = 2, p[2] = 3, p[3] = 4;
    Image large(PixelFormat::GREY8, 3, 3);
    EXPECT_TRUE(large.copyPixels(&small));
    EXPECT_EQ(pixelsOf(large), (Bytes{1, 2, 0, 3, 4, 0, 0, 0, 0}));
    Image tiny(PixelFormat::GREY8, 1, 1);
    EXPECT_TRUE(tiny.copyPixels(&large));
    EXPECT_EQ(pixelsOf(tiny), (Bytes{1}));
    Image other(PixelFormat::INDEX8, 2, 2);
    EXPECT_FALSE(other.copyPixels(&small)) << "formats must match";
    EXPECT_EQ(pixelsOf(other), Bytes(4, 0));
}

TEST(ImageCopies, CopyConstructionTakesPixelsAndPalette) {
    Image indexed(PixelFormat::INDEX8, 2, 1);
    static_cast<std::uint8_t*>(indexed.pixels())[1] = 7;
    Image copy(indexed);
    EXPECT_EQ(pixelsOf(copy), (Bytes{0, 7}));
    ASSERT_NE(copy.palette(), nullptr) << "an indexed copy always has a palette";
    EXPECT_EQ(copy.palette()->entry(0)[3], 0);
    EXPECT_EQ(copy.getReferenceCount(), 1);

    Image::ColourPalette colours;
    colours.set(3, 5, 6, 7, 8);
    indexed.setPalette(&colours);
    Image second(indexed);
    EXPECT_EQ(second.palette()->entry(3)[2], 7);
    EXPECT_NE(second.palette(), indexed.palette()) << "the palette is copied, not shared";
    EXPECT_FALSE(Image(PixelFormat::RGB24, 1, 1).copyPalette(&indexed));
}

// Records what copyPixels does to the locked mark and the release calls.
class WatchedImage : public Image {
public:
    using Image::Image;
    void* pixels() override {
        lockedWhenTaken = isLocked();
        return Image::pixels();
    }
    void releasePixels() override { ++releases; }
    bool lockedWhenTaken = false;
    int releases = 0;
};

TEST(ImageCopies, BothImagesAreMarkedLockedWhileCopying) {
    WatchedImage source(PixelFormat::RGB24, 1, 1), target(PixelFormat::RGB24, 1, 1);
    ASSERT_TRUE(target.copyPixels(&source));
    EXPECT_TRUE(source.lockedWhenTaken);
    EXPECT_TRUE(target.lockedWhenTaken);
    EXPECT_FALSE(source.isLocked());
    EXPECT_FALSE(target.isLocked());
    EXPECT_EQ(source.releases, 1);
    EXPECT_EQ(target.releases, 1);
}

class CountedImage : public Image {
public:
    CountedImage(int* deaths)
        : Image(PixelFormat::RGB24, 1, 1)
        , deaths(deaths) {}
    ~CountedImage() override { ++*deaths; }

private:
    int* deaths;
};

TEST(ImageLevels, EachLevelHoldsTheNextAndTheChainDiesWithItsHead) {
    int deaths = 0;
    auto* head = new CountedImage(&deaths);
    auto* second = new CountedImage(&deaths);
    auto* third = new CountedImage(&deaths);
    head->setNextLevel(second);
    second->setNextLevel(third);
    EXPECT_EQ(second->getReferenceCount(), 2);
    second->release();
    third->release();
    EXPECT_EQ(head->nextLevel()->nextLevel(), third);
    auto* replacement = new CountedImage(&deaths);
    second->setNextLevel(replacement); // lets go of third
    replacement->release();
    EXPECT_EQ(deaths, 1);
    head->release();
    EXPECT_EQ(deaths, 4);
}

TEST(ImageClassNames, FollowTheClassTree) {
    EXPECT_STREQ(Image().getClassName().cString(), "Object:Image");
    EXPECT_EQ(Image().getRowBytes(), 0);
}

} // namespace
} // namespace orvane::graphics
