#include "orvane/graphics/FilterResize.h"
#include "tests/support/Decode.h"

#include <gtest/gtest.h>

namespace orvane::graphics {
namespace {

using test::Bytes;
using test::pixelsOf;

// An image of one byte a pixel whose value is 16 x row + column.
object::Pointer<Image> grid(int width, int height, std::uint32_t format = PixelFormat::GREY8) {
    auto image = object::make<Image>(format, width, height);
    auto* p = static_cast<std::uint8_t*>(image->pixels());
    const int bytes = bytesPerPixel(format);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int b = 0; b < bytes; ++b)
                p[(y * width + x) * bytes + b] = std::uint8_t(16 * y + x + 100 * b);
    return image;
}

object::Pointer<Image> resize(const Image& source, int width, int height) {
    FilterResize filter(width, height);
    return object::Pointer<Image>::adopt(filter.apply(&source));
}

// The source row and column each target pixel came from, read back from the grid values.
std::vector<int> rowsTaken(Image& image) {
    std::vector<int> rows;
    const auto* p = static_cast<const std::uint8_t*>(image.pixels());
    for (int y = 0; y < image.getHeight(); ++y)
        rows.push_back(p[y * image.getRowBytes()] / 16);
    return rows;
}
std::vector<int> columnsTaken(Image& image) {
    std::vector<int> columns;
    const auto* p = static_cast<const std::uint8_t*>(image.pixels());
    const int bytes = bytesPerPixel(image.getFormat());
    for (int x = 0; x < image.getWidth(); ++x)
        columns.push_back(p[x * bytes] % 16);
    return columns;
}

TEST(FilterResizeMapping, SameSizeIsACopy) {
    auto source = grid(4, 4);
    auto copy = resize(*source, 4, 4);
    ASSERT_TRUE(copy);
    EXPECT_EQ(pixelsOf(*copy), pixelsOf(*source));
    EXPECT_NE(copy.get(), source.get());
    EXPECT_EQ(copy->getReferenceCount(), 1);
}

TEST(FilterResizeMapping, ColumnsTruncateTheSinglePrecisionProducts) {
    EXPECT_EQ(columnsTaken(*resize(*grid(2, 1), 4, 1)), (std::vector<int>{0, 0, 0, 1}));
    EXPECT_EQ(columnsTaken(*resize(*grid(5, 1), 3, 1)), (std::vector<int>{0, 2, 4}));
    EXPECT_EQ(columnsTaken(*resize(*grid(16, 1), 7, 1)),
              (std::vector<int>{0, 2, 5, 7, 10, 12, 15}));
}

TEST(FilterResizeMapping, RowsFollowTheAccumulatingWalk) {
    EXPECT_EQ(rowsTaken(*resize(*grid(1, 3), 1, 5)), (std::vector<int>{0, 0, 1, 1, 2}));
    EXPECT_EQ(rowsTaken(*resize(*grid(1, 4), 1, 7)), (std::vector<int>{0, 0, 1, 1, 2, 2, 3}));
    // ry = 10/3 rounds down in single precision and the fractions add up to just below 4,
    // so the walk ends on row 9, not on the last row.
    EXPECT_EQ(rowsTaken(*resize(*grid(1, 11), 1, 4)), (std::vector<int>{0, 3, 6, 9}));
}

TEST(FilterResizeMapping, OnePixelTargetsTakeTheFirstRowAndColumn) {
    auto source = grid(5, 6);
    auto column = resize(*source, 1, 6);
    ASSERT_TRUE(column);
    EXPECT_EQ(columnsTaken(*column), (std::vector<int>{0}));
    EXPECT_EQ(rowsTaken(*column), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    auto row = resize(*source, 5, 1);
    EXPECT_EQ(rowsTaken(*row), (std::vector<int>{0}));
    auto dot = resize(*source, 1, 1);
    EXPECT_EQ(pixelsOf(*dot), (Bytes{0}));
    auto fromDot = resize(*grid(1, 1, PixelFormat::BGR24), 3, 2);
    Bytes sixDots;
    for (int i = 0; i < 6; ++i)
        test::append(sixDots, {0, 100, 200});
    EXPECT_EQ(pixelsOf(*fromDot), sixDots);
}

TEST(FilterResizeFormats, WholePixelsOfEverySizeAreCopied) {
    for (std::uint32_t format :
         {PixelFormat::RGB16, PixelFormat::BGR24, PixelFormat::RGBA32, std::uint32_t(0x00100009)}) {
        auto resized = resize(*grid(2, 2, format), 3, 2);
        ASSERT_TRUE(resized) << std::hex << format;
        EXPECT_EQ(resized->getFormat(), format);
        const int bytes = bytesPerPixel(format);
        const auto* p = static_cast<const std::uint8_t*>(resized->pixels());
        // columns 0, 0, 1 of row 1
        const std::uint8_t* row = p + resized->getRowBytes();
        for (int b = 0; b < bytes; ++b) {
            EXPECT_EQ(row[b], std::uint8_t(16 + 100 * b));
            EXPECT_EQ(row[bytes + b], std::uint8_t(16 + 100 * b));
            EXPECT_EQ(row[2 * bytes + b], std::uint8_t(17 + 100 * b));
        }
    }
}

TEST(FilterResizeFormats, IndexedImagesKeepTheirPalette) {
    auto source = grid(2, 2, PixelFormat::INDEX8);
    Image::ColourPalette colours;
    colours.set(17, 1, 2, 3, 4);
    source->setPalette(&colours);
    auto resized = resize(*source, 4, 4);
    ASSERT_TRUE(resized);
    ASSERT_NE(resized->palette(), nullptr);
    EXPECT_EQ(resized->palette()->entry(17)[2], 3);
}

TEST(FilterResizeFormats, UnsupportedSourcesGiveNull) {
    EXPECT_FALSE(resize(Image(0x000F0001, 4, 4), 2, 2)) << "15 coded bits";
    EXPECT_FALSE(resize(Image(0x00040001, 4, 4), 2, 2)) << "4 coded bits";
    EXPECT_FALSE(resize(Image(PixelFormat::DXT1, 4, 4), 2, 2));
    EXPECT_FALSE(resize(Image(PixelFormat::RGB24, 0, 4), 2, 2)) << "nothing to take pixels from";
    auto empty = resize(Image(PixelFormat::RGB24, 0, 4), 0, 3);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->getWidth(), 0);
    FilterResize filter(2, 2);
    EXPECT_STREQ(filter.getClassName().cString(), "Object:Filter:FilterImage:FilterResize");
}

} // namespace
} // namespace orvane::graphics
