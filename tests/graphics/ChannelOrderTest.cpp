#include "orvane/graphics/TranslatorBMP.h"
#include "orvane/graphics/TranslatorTGA.h"
#include "tests/support/Decode.h"

#include <gtest/gtest.h>

namespace orvane::graphics {
namespace {

using test::Bytes;

// The same 3 x 2 picture saved as BMP and as TGA, both bottom-up as the formats store
// them by default, must decode to the same pixels under the same format code.
void expectSamePicture(int bits, int pixelBytes, const Bytes& topRow, const Bytes& bottomRow) {
    TranslatorBMP bmp;
    TranslatorTGA tga;
    auto fromBmp =
        test::decode(bmp, test::bmpFile({.width = 3,
                                         .height = 2,
                                         .bits = bits,
                                         .pixelData = test::bmpRows({topRow, bottomRow})}));
    Bytes stored = bottomRow;
    test::append(stored, topRow);
    auto fromTga = test::decode(
        tga, test::tgaFile({.width = 3, .height = 2, .depth = bits, .pixelData = stored}));
    ASSERT_TRUE(fromBmp);
    ASSERT_TRUE(fromTga);
    EXPECT_EQ(fromBmp->getFormat(), fromTga->getFormat()) << bits;
    EXPECT_EQ(fromBmp->getRowBytes(), 3 * pixelBytes);
    EXPECT_EQ(test::pixelsOf(*fromBmp), test::pixelsOf(*fromTga)) << bits << "-bit pixels";
}

TEST(ChannelOrder, BmpAndTgaAgreeOnEveryTrueColourDepth) {
    // 16-bit: pure red (0x7C00), green (0x03E0), blue (0x001F); then with bit 15 set, which
    // both clear.
    expectSamePicture(16, 2, {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00},
                      {0x00, 0xFC, 0xE0, 0x83, 0x1F, 0x80});
    expectSamePicture(15, 2, {0x21, 0x04, 0x42, 0x08, 0x84, 0x10},
                      {0x00, 0x00, 0xFF, 0xFF, 0x01, 0x00});
    expectSamePicture(24, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18});
    expectSamePicture(32, 4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
                      {13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24});
}

TEST(ChannelOrder, SixteenBitRedLiesInBitsTenToFourteen) {
    TranslatorTGA tga;
    auto red = test::decode(
        tga, test::tgaFile({.width = 1, .height = 1, .depth = 16, .pixelData = {0x00, 0x7C}}));
    ASSERT_TRUE(red);
    const auto* pixel = static_cast<const std::uint8_t*>(red->pixels());
    EXPECT_EQ(pixel[0] | (pixel[1] << 8), 0x7C00);
}

} // namespace
} // namespace orvane::graphics
