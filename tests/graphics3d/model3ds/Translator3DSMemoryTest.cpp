// Checks that the 3DS reader's memory follows the bytes a file has, not the counts and
// lengths it claims. The test replaces the global allocation functions of this test
// program to see the largest single request made while a file is read.

#include "orvane/graphics3d/model3ds/Translator3DS.h"
#include "orvane/io/MemoryFile.h"
#include "orvane/io/TranslatorException.h"
#include "tests/support/ModelFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> watching{false};
std::atomic<std::size_t> largestRequest{0};

} // namespace

// Every non-aligned allocation function is replaced, so that each pointer is freed by the
// family that made it (the sanitizers check that); the aligned ones stay the library's.
namespace {

void* allocate(std::size_t size) noexcept {
    if (watching.load(std::memory_order_relaxed)) {
        std::size_t seen = largestRequest.load();
        while (size > seen && !largestRequest.compare_exchange_weak(seen, size)) {
        }
    }
    return std::malloc(size ? size : 1);
}

void* allocateOrThrow(std::size_t size) {
    if (void* memory = allocate(size))
        return memory;
    throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
[[gnu::noinline]] void operator delete(void* memory) noexcept {
    std::free(memory);
}
[[gnu::noinline]] void operator delete[](void* memory) noexcept {
    std::free(memory);
}
[[gnu::noinline]] void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
[[gnu::noinline]] void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
[[gnu::noinline]] void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
[[gnu::noinline]] void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}

namespace orvane::graphics3d {
namespace {

using test::Bytes;
using test::Chunk;

// The largest allocation made while the bytes are read with the given length.
std::size_t largestAllocationReading(const Bytes& bytes, int length) {
    io::MemoryFile file(bytes.data(), bytes.size());
    Translator3DS translator;
    Scene3DS scene;
    largestRequest = 0;
    watching = true;
    try {
        translator.read(file.getInputStream(), length, scene);
        ADD_FAILURE() << "a file cut short must be rejected";
    } catch (const io::TranslatorFormatException&) {
    }
    watching = false;
    return largestRequest;
}

// Files of a few bytes whose headers claim the most they can, read with a length that
// promises two gigabytes: nothing may be allocated ahead of the bytes that arrive.
TEST(Translator3DSMemory, TinyFilesClaimingHugeCountsAllocateLittle) {
    const auto claiming = [](std::uint16_t id, const Bytes& own) {
        Bytes file = Chunk(0x4D4D).forceLength(INT_MAX).bytes();
        test::append(file, Chunk(0x3D3D).forceLength(INT_MAX - 6).bytes());
        test::append(file, Chunk(0x4000).forceLength(INT_MAX - 12).u8(0).bytes());
        test::append(file, Chunk(0x4100).forceLength(INT_MAX - 19).bytes());
        Chunk chunk(id);
        chunk.raw(own).forceLength(INT_MAX - 25);
        test::append(file, chunk.bytes());
        return file;
    };
    const std::size_t bound = 256 * 1024;
    EXPECT_LT(largestAllocationReading(claiming(0x4110, {0xFF, 0xFF, 1, 2}), INT_MAX), bound);
    EXPECT_LT(largestAllocationReading(claiming(0x4120, {0xFF, 0xFF}), INT_MAX), bound);
    EXPECT_LT(largestAllocationReading(claiming(0x4140, {0xFF, 0xFF, 0}), INT_MAX), bound);
    EXPECT_LT(largestAllocationReading(claiming(0x4130, {'M', 0, 0xFF, 0xFF}), INT_MAX), bound);

    Bytes name = Chunk(0x4D4D).forceLength(INT_MAX).bytes();
    test::append(name, Chunk(0xAFFF).forceLength(INT_MAX - 6).bytes());
    test::append(name, Chunk(0xA000).forceLength(INT_MAX - 12).u8('N').bytes());
    EXPECT_LT(largestAllocationReading(name, INT_MAX), bound);
}

} // namespace
} // namespace orvane::graphics3d
