#include "orvane/container/List.h"
#include "orvane/container/Stack.h"
#include "orvane/object/Pointer.h"
#include "tests/support/Counted.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvane::container {
namespace {

using object::Pointer;
using test::Counted;
using test::Tracked;

std::vector<int> valuesOf(const List<Counted>& list) {
    std::vector<int> values;
    for (const Counted& item : list)
        values.push_back(item.value);
    return values;
}

TEST(ListItems, KeepInsertionOrderAndAreDestroyedOnce) {
    Counted::resetCounts();
    {
        List<Counted> list;
        EXPECT_EQ(list.begin(), list.end());
        for (int i = 0; i < 100; ++i)
            list.pushBack(i);
        EXPECT_EQ(list.count(), 100u);
        EXPECT_EQ(list.front().value, 0);
        EXPECT_EQ(list.back().value, 99);
        EXPECT_EQ(Counted::alive, 100);

        List<Counted> copy(list);
        EXPECT_EQ(valuesOf(copy), valuesOf(list));
        list.clear();
        EXPECT_EQ(Counted::alive, 100);
        EXPECT_TRUE(list.isEmpty());
        list.pushBack(7); // the cleared list is usable again
        EXPECT_EQ(valuesOf(list), std::vector<int>{7});

        List<Counted> moved(std::move(copy));
        EXPECT_TRUE(copy.isEmpty());
        moved.pushBack(100);
        EXPECT_EQ(moved.count(), 101u);
        EXPECT_EQ(valuesOf(moved).back(), 100);
        moved = list;
        EXPECT_EQ(valuesOf(moved), std::vector<int>{7});
        EXPECT_EQ(moved.getClassName(), "Object:List");
    }
    EXPECT_EQ(Counted::alive, 0);
    EXPECT_EQ(Counted::constructed, Counted::destroyed);
}

TEST(ListItems, PointersAreReleasedByClear) {
    int destructions = 0;
    List<Pointer<Tracked>> list;
    for (int i = 0; i < 3; ++i)
        list.pushBack(Pointer<Tracked>::adopt(new Tracked(&destructions)));
    list.clear();
    EXPECT_EQ(destructions, 3);
}

TEST(StackBounds, PushRefusesWhenFullAndPopWhenEmpty) {
    Counted::resetCounts();
    {
        Stack<Counted> stack(3);
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(stack.push(Counted(i)));
        EXPECT_TRUE(stack.isFull());
        EXPECT_FALSE(stack.push(Counted(3)));
        EXPECT_EQ(stack.count(), 3u);
        EXPECT_EQ(stack.top().value, 2);

        Counted out;
        ASSERT_TRUE(stack.pop(out));
        EXPECT_EQ(out.value, 2);
        ASSERT_TRUE(stack.pop(out));
        EXPECT_EQ(out.value, 1);
        EXPECT_TRUE(stack.push(Counted(9)));
        EXPECT_EQ(stack.getClassName(), "Object:Stack");
        // Two left in the stack, destroyed with it.
    }
    EXPECT_EQ(Counted::alive, 0);
    EXPECT_EQ(Counted::constructed, Counted::destroyed);

    Stack<int> empty(0);
    int out = 5;
    EXPECT_FALSE(empty.push(1));
    EXPECT_FALSE(empty.pop(out));
    EXPECT_EQ(out, 5);
}

} // namespace
} // namespace orvane::container
