// Process-wide settings of the native layer.

#include "orvane/native/Process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <malloc.h>

namespace orvane::native {
namespace {

// The number of blocks the C library has mapped on their own, while one of `bytes` is
// held.
std::size_t mappedWhileHolding(std::size_t bytes) {
    void* block = std::malloc(bytes);
    EXPECT_NE(block, nullptr);
    std::memset(block, 1, 4096); // used, so that it cannot be optimised away
    const std::size_t mapped = mallinfo2().hblks;
    std::free(block);
    return mapped;
}

// Runs in a process of its own (the settings hold for the whole process): a block of 64
// MB is mapped on its own at first and comes from the heap once large blocks are kept.
TEST(ProcessDeathTest, LargeBlocksComeFromTheHeapOnceKept) {
    const std::size_t bytes = std::size_t(64) << 20;
    if (mappedWhileHolding(bytes) == 0)
        GTEST_SKIP() << "another allocator than the C library's serves this process "
                        "(a sanitizer's)";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            keepLargeBlocksOnTheHeap(std::size_t(256) << 20);
            std::exit(mappedWhileHolding(bytes) == 0 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace orvane::native
