#include "orvane/container/Cache.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

namespace orvane::container {
namespace {

// Makes a number for every name except "missing" (null) and "broken" (throws).
struct NumberFactory {
    int calls = 0;
    int* create(const char* name) {
        ++calls;
        if (std::strcmp(name, "broken") == 0)
            throw std::runtime_error("cannot read");
        if (std::strcmp(name, "missing") == 0)
            return nullptr;
        return &numbers[calls % 4];
    }
    int numbers[4] = {};
};

struct Doubler {
    int create(int key) { return key * 2; }
};

TEST(CacheLookup, RemembersResultsIncludingFailures) {
    Cache<types::String, int*, NumberFactory> cache;
    int* first = cache.get("a");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(cache.get("a"), first);
    EXPECT_EQ(cache.getFactory().calls, 1);

    EXPECT_EQ(cache.get("missing"), nullptr);
    EXPECT_EQ(cache.get("missing"), nullptr);
    EXPECT_EQ(cache.getFactory().calls, 2) << "a failed creation is not retried";
    EXPECT_EQ(cache.entries().count(), 2u);

    EXPECT_THROW(cache.get("broken"), std::runtime_error);
    EXPECT_FALSE(cache.entries().contains("broken")) << "nothing is stored after a throw";
    EXPECT_THROW(cache.get("broken"), std::runtime_error);
    EXPECT_EQ(cache.getFactory().calls, 4);
    EXPECT_EQ(cache.getClassName(), "Object:Cache");

    Cache<int, int, Doubler> numbers;
    EXPECT_EQ(numbers.get(21), 42);
    numbers.get(21) = 5; // answers the stored value itself
    EXPECT_EQ(numbers.get(21), 5);
}

} // namespace
} // namespace orvane::container
