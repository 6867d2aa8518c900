#include "orvane/container/Allocator.h"
#include "tests/support/Counted.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <stdexcept>
#include <vector>

namespace orvane::container {
namespace {

using test::Counted;

struct alignas(32) Wide {
    double lanes[4];
};

struct Fragile {
    explicit Fragile(bool fail) {
        if (fail)
            throw std::runtime_error("refused");
    }
};

TEST(AllocatorBlocks, GrowSixtyFourSixtyFourThenDouble) {
    Allocator<int> pool;
    EXPECT_EQ(pool.blockCount(), 0u) << "nothing is allocated before the first record";
    const std::uint64_t expected[] = {64, 128, 256, 512, 1024};
    std::uint32_t taken = 0;
    for (std::uint64_t capacity : expected) {
        while (taken < capacity) {
            pool.allocate();
            ++taken;
        }
        EXPECT_EQ(pool.capacity(), capacity);
        pool.allocate(); // one beyond: the next block
        ++taken;
    }
    EXPECT_EQ(pool.blockCount(), 6u);
    EXPECT_EQ(pool.capacity(), 2048u);
    EXPECT_EQ(pool.nextBlockSize(), 2048u);
    EXPECT_EQ(pool.getClassName(), "Object:Allocator");
}

TEST(AllocatorRecords, DistinctAlignedAndReusedLastFreedFirst) {
    Allocator<Wide> pool;
    std::set<Wide*> seen;
    std::vector<Wide*> records;
    for (int i = 0; i < 300; ++i) {
        Wide* record = pool.allocate();
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(record) % alignof(Wide), 0u);
        EXPECT_TRUE(seen.insert(record).second) << "record handed out twice";
        records.push_back(record);
    }
    pool.free(records[10]);
    pool.free(records[20]);
    EXPECT_EQ(pool.allocate(), records[20]);
    EXPECT_EQ(pool.allocate(), records[10]);
    EXPECT_EQ(pool.capacity(), 512u) << "reuse does not grow the pool";
}

TEST(AllocatorRecords, CreateAndDestroyPairUpEvenWhenConstructionThrows) {
    Counted::resetCounts();
    {
        Allocator<Counted> pool;
        Counted* a = pool.create(1);
        Counted* b = pool.create(2);
        EXPECT_EQ(b->value, 2);
        pool.destroy(a);
        EXPECT_EQ(Counted::alive, 1);
        EXPECT_EQ(pool.create(3), a) << "the freed record is taken first";
        pool.destroy(b);
        pool.destroy(a);
    }
    EXPECT_EQ(Counted::alive, 0);
    EXPECT_EQ(Counted::constructed, Counted::destroyed);

    Allocator<Fragile> fragile;
    Fragile* kept = fragile.create(false);
    EXPECT_THROW(fragile.create(true), std::runtime_error);
    for (int i = 1; i < 64; ++i)
        fragile.allocate();
    EXPECT_EQ(fragile.capacity(), 64u) << "the record of the failed construction came back";
    fragile.destroy(kept);
}

TEST(AllocatorRecords, MovingHandsTheBlocksOver) {
    Allocator<int> first;
    int* record = first.create(41);
    Allocator<int> second(std::move(first));
    EXPECT_EQ(first.capacity(), 0u);
    EXPECT_EQ(second.capacity(), 64u);
    EXPECT_EQ(*record, 41) << "records stay where they are";
    second.destroy(record);
    first.create(1); // the emptied pool still works
    EXPECT_EQ(first.capacity(), 64u);
}

} // namespace
} // namespace orvane::container
