#include "orvane/graphics/FilterHalve.h"
#include "tests/support/Decode.h"

#include <gtest/gtest.h>

namespace orvane::graphics {
namespace {

using test::Bytes;
using test::pixelsOf;

object::Pointer<Image> imageOf(std::uint32_t format, int width, int height, const Bytes& bytes) {
    auto image = object::make<Image>(format, width, height);
    std::copy(bytes.begin(), bytes.end(), static_cast<std::uint8_t*>(image->pixels()));
    return image;
}

object::Pointer<Image> halved(const Image& source) {
    FilterHalve filter;
    return object::Pointer<Image>::adopt(filter.apply(&source));
}

TEST(FilterHalve, EachPixelIsTheRoundedMeanOfItsBlockChannelByChannel) {
    // Two RGBA pixels of 2 x 2 blocks, channel sums 10 (2.5 rounds up), 4, 1020 and 2 (0.5
    // rounds up); then 510 twice (127.5 rounds up), 1020 and 13 (3.25 rounds down).
    auto source = imageOf(PixelFormat::RGBA32, 4, 2,
                          {1, 1, 255, 0, 1, 0, 255, 0, 255, 255, 255, 10, 255, 255, 255, 0,
                           4, 2, 255, 1, 4, 1, 255, 1, 0,   0,   255, 1,  0,   0,   255, 2});
    auto half = halved(*source);
    ASSERT_TRUE(half);
    EXPECT_EQ(half->getFormat(), PixelFormat::RGBA32);
    EXPECT_EQ(half->getWidth(), 2);
    EXPECT_EQ(half->getHeight(), 1);
    EXPECT_EQ(pixelsOf(*half), (Bytes{3, 1, 255, 1, 128, 128, 255, 3}));
    EXPECT_FALSE(source->isLocked());
    EXPECT_NE(half.get(), source.get());
}

TEST(FilterHalve, OnePixelSidesAveragePairsAndOddSidesDropTheirLastLine) {
    const Bytes column = {10, 20, 30, 40};
    EXPECT_EQ(pixelsOf(*halved(*imageOf(PixelFormat::GREY8, 1, 4, column))), (Bytes{15, 35}));
    EXPECT_EQ(pixelsOf(*halved(*imageOf(PixelFormat::GREY8, 4, 1, column))), (Bytes{15, 35}));
    auto dot = halved(*imageOf(PixelFormat::GREY_ALPHA16, 1, 1, {7, 9}));
    ASSERT_TRUE(dot);
    EXPECT_EQ(pixelsOf(*dot), (Bytes{7, 9})) << "a pixel halves to itself";

    // 3 x 3 -> 1 x 1: the top-left block only.
    auto odd = halved(*imageOf(PixelFormat::GREY8, 3, 3, {0, 4, 200, 8, 12, 200, 200, 200, 200}));
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->getWidth(), 1);
    EXPECT_EQ(pixelsOf(*odd), (Bytes{6}));
}

TEST(FilterHalve, TakesEightBitChannelsOnly) {
    for (std::uint32_t format : {PixelFormat::GREY8, PixelFormat::GREY_ALPHA16, PixelFormat::RGB24,
                                 PixelFormat::BGR24, PixelFormat::RGBA32, PixelFormat::BGRA32})
        EXPECT_TRUE(FilterHalve::takes(format)) << std::hex << format;
    for (std::uint32_t format : {PixelFormat::INDEX8, PixelFormat::RGB15, PixelFormat::RGB16,
                                 PixelFormat::DUDV16, PixelFormat::DXT1, std::uint32_t(0)}) {
        EXPECT_FALSE(FilterHalve::takes(format)) << std::hex << format;
        EXPECT_FALSE(halved(Image(format, 4, 4))) << std::hex << format;
    }
    EXPECT_FALSE(halved(Image(PixelFormat::RGB24, 0, 4))) << "no pixels to take";
    EXPECT_STREQ(FilterHalve().getClassName().cString(), "Object:Filter:FilterImage:FilterHalve");
}

} // namespace
} // namespace orvane::graphics
