#include "orvane/container/Array.h"
#include "orvane/object/Pointer.h"
#include "tests/support/Counted.h"

#include <gtest/gtest.h>

namespace orvane::container {
namespace {

using object::Pointer;
using test::Counted;
using test::Tracked;

TEST(ArrayGrowth, FirstExactThenCountClampedToFourAndThousandTwentyFour) {
    Array<unsigned> values;
    values.add(1);
    EXPECT_EQ(values.capacity(), 1u);
    values.add(2);
    EXPECT_EQ(values.capacity(), 5u);
    for (unsigned i = 2; i < 6; ++i)
        values.add(i);
    EXPECT_EQ(values.capacity(), 10u) << "count 5 gives a step of 5";

    Array<unsigned> large;
    large.resize(2000);
    EXPECT_EQ(large.capacity(), 2000u);
    large.add(7);
    EXPECT_EQ(large.capacity(), 3024u);
    EXPECT_EQ(large[2000], 7u);
    EXPECT_EQ(large[1999], 0u) << "new elements are value-initialised";

    Array<unsigned> jump;
    jump.add(1);
    jump.resize(100);
    EXPECT_EQ(jump.capacity(), 100u) << "a larger request than one step is honoured";
}

TEST(ArrayGrowth, ShrinkingKeepsStorageAndZeroFreesIt) {
    Array<int> values;
    values.resize(10);
    values.resize(3);
    EXPECT_EQ(values.count(), 3u);
    EXPECT_EQ(values.capacity(), 10u);
    values.resize(0);
    EXPECT_EQ(values.capacity(), 0u);
    EXPECT_EQ(values.data(), nullptr);
}

TEST(ArrayElements, ObjectsAreMadeAndDestroyedExactlyOnce) {
    Counted::resetCounts();
    {
        Array<Counted> items;
        for (int i = 0; i < 100; ++i)
            items.add(Counted(i));
        for (int i = 0; i < 100; ++i)
            ASSERT_EQ(items[i].value, i);
        items.resize(40);
        EXPECT_EQ(Counted::alive, 40);
        items.add(items[0]); // an element of the array itself, across a regrowth
        EXPECT_EQ(items[40].value, 0);
        Array<Counted> copy(items);
        EXPECT_EQ(Counted::alive, 82);
        copy = items;
        EXPECT_EQ(Counted::alive, 82);
    }
    EXPECT_EQ(Counted::alive, 0);
    EXPECT_EQ(Counted::constructed, Counted::destroyed);
}

TEST(ArrayElements, PointersAreReleasedOnceWhenDropped) {
    int destructions = 0;
    {
        Array<Pointer<Tracked>> pointers;
        for (int i = 0; i < 20; ++i)
            pointers.add(Pointer<Tracked>::adopt(new Tracked(&destructions)));
        Tracked* survivor = pointers[0].get();
        survivor->retain();
        pointers.resize(10);
        EXPECT_EQ(destructions, 10);
        pointers.resize(0);
        EXPECT_EQ(destructions, 19);
        EXPECT_EQ(survivor->getReferenceCount(), 1);
        survivor->release();
    }
    EXPECT_EQ(destructions, 20);

    Array<Pointer<Tracked>> grown;
    grown.resize(3);
    EXPECT_FALSE(grown[2]) << "pointer elements start null";
}

TEST(ArrayElements, StringsSurviveRelocation) {
    Array<types::String> names;
    for (int i = 0; i < 50; ++i)
        names.add(types::String(std::to_string(i).c_str()));
    names.removeLast();
    EXPECT_EQ(names.count(), 49u);
    EXPECT_EQ(names[48], "48");
    EXPECT_EQ(names.getClassName(), "Object:Array");
}

} // namespace
} // namespace orvane::container
