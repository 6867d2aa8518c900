#include "orvane/io/MemoryFile.h"
#include "orvane/io/IOException.h"

#include <gtest/gtest.h>

#include <climits>

namespace orvane::io {
namespace {

TEST(MemoryFile, ReadsWhatItWasGivenAndStopsAtTheEnd) {
    MemoryFile file("hello", 5);
    char buffer[8] = {};
    EXPECT_EQ(file.read(buffer, 3), 3);
    EXPECT_EQ(file.read(buffer + 3, 8), 2);
    EXPECT_STREQ(buffer, "hello");
    EXPECT_EQ(file.read(buffer, 1), 0);
    EXPECT_EQ(file.getInputStream()->available(), 0);
}

TEST(MemoryFile, WritesPastTheEndFillTheGapWithZeros) {
    MemoryFile file;
    EXPECT_EQ(file.seek(3, File::FROM_START), 3);
    EXPECT_EQ(file.getOutputStream()->write("ab", 2), 2);
    EXPECT_EQ(file.contents(), (std::vector<std::uint8_t>{0, 0, 0, 'a', 'b'}));
    EXPECT_EQ(file.setSize(2), 2);
    EXPECT_EQ(file.position(), 5);
    EXPECT_EQ(file.getInputStream()->available(), -3);
}

TEST(MemoryFile, RefusesBadModesAndPositionsWithoutMoving) {
    MemoryFile file("0123", 4);
    file.seek(2, File::FROM_START);
    EXPECT_THROW(file.seek(0, 9), IllegalPositionModeException);
    EXPECT_THROW(file.seek(-3, File::FROM_CURRENT), IOException);
    EXPECT_THROW(file.seek(INT_MAX, File::FROM_END), IOException);
    EXPECT_EQ(file.position(), 2);
    EXPECT_EQ(file.seek(-1, File::FROM_END), 3);
}

} // namespace
} // namespace orvane::io
