#include "orvane/container/Map.h"
#include "orvane/container/Set.h"
#include "orvane/container/Tuple.h"
#include "orvane/object/Pointer.h"
#include "tests/support/Counted.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

namespace orvane::container {
namespace {

using object::Pointer;
using test::Counted;
using test::Tracked;
using types::String;

// Checks every link of the subtree under node: children point back at their parent, keys
// are in search-tree order and priorities in max-heap order. Answers the subtree's size.
template <class Node>
std::uint32_t checkSubtree(const TreapNode* node) {
    if (!node)
        return 0;
    const auto& key = static_cast<const Node*>(node)->key;
    using Key = std::remove_cvref_t<decltype(key)>;
    for (const TreapNode* child : {node->left, node->right}) {
        if (!child)
            continue;
        EXPECT_EQ(child->parent, node);
        EXPECT_LE(child->priority, node->priority) << "heap order broken";
    }
    if (node->left) {
        EXPECT_LT(KeyOrder<Key>::compare(static_cast<const Node*>(node->left)->key, key), 0);
    }
    if (node->right) {
        EXPECT_GT(KeyOrder<Key>::compare(static_cast<const Node*>(node->right)->key, key), 0);
    }
    return 1 + checkSubtree<Node>(node->left) + checkSubtree<Node>(node->right);
}

template <class Tree>
void checkTreap(const Tree& tree) {
    const TreapNode* root = tree.treap().top();
    if (root) {
        EXPECT_EQ(root->parent, nullptr);
    }
    EXPECT_EQ(checkSubtree<typename Tree::Node>(root), tree.count());
}

std::vector<int> keysOf(const Map<int, int>& map) {
    std::vector<int> keys;
    for (const auto& node : map)
        keys.push_back(node.key);
    return keys;
}

TEST(TreapShape, RandomInsertsAndRemovalsKeepOrderAndHeap) {
    std::mt19937 random(7);
    std::vector<int> keys(3000);
    for (int i = 0; i < 3000; ++i)
        keys[i] = i * 3;
    std::shuffle(keys.begin(), keys.end(), random);

    Map<int, int> map;
    std::set<int> reference;
    for (int key : keys) {
        map.insert(key, -key);
        reference.insert(key);
    }
    checkTreap(map);
    EXPECT_EQ(keysOf(map), std::vector<int>(reference.begin(), reference.end()));

    for (int i = 0; i < 1500; ++i) {
        EXPECT_TRUE(map.remove(keys[i]));
        reference.erase(keys[i]);
    }
    EXPECT_FALSE(map.remove(1)) << "a key never inserted";
    checkTreap(map);
    EXPECT_EQ(keysOf(map), std::vector<int>(reference.begin(), reference.end()));
    for (int key : reference)
        ASSERT_EQ(map.find(key)->value, -key);
    EXPECT_EQ(map.find(keys[0]), nullptr);
}

TEST(TreapShape, PrioritiesFollowTheClassicGeneratorFromSeedZero) {
    Set<int> set;
    const std::uint32_t expected[] = {38, 7719, 21238, 2437, 8855};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(set.insert(i * 10)->priority, expected[i]);
    checkTreap(set);
}

TEST(TreapShape, EqualPriorityLeavesTheNewNodeBelowItsParent) {
    Map<int, int> map;
    map.seedPriorities(44712); // the next two priorities drawn are equal
    const auto* parent = map.insert(1, 0);
    const auto* child = map.insert(2, 0);
    ASSERT_EQ(parent->priority, child->priority);
    EXPECT_EQ(map.treap().top(), parent);
    EXPECT_EQ(child->parent, parent);
    EXPECT_EQ(parent->right, child);
}

TEST(MapInsert, ExistingKeyIsAssignedAndKeepsItsNode) {
    Map<String, int> map;
    auto* node = map.insert("a", 1);
    map.insert("b", 2);
    EXPECT_EQ(map.insert("a", 3), node);
    EXPECT_EQ(node->value, 3);
    EXPECT_EQ(map.count(), 2u);
    EXPECT_TRUE(map.contains("b"));
    EXPECT_FALSE(map.contains(""));
}

TEST(MapOrder, StringsPointersTuplesAndNumbers) {
    Map<String, int> names;
    for (const char* text : {"b", "ab", "", "\xff", "a"})
        names.insert(text, 0);
    std::vector<String> seen;
    for (const auto& node : names)
        seen.push_back(node.key);
    EXPECT_EQ(seen, (std::vector<String>{"", "a", "ab", "b", "\xff"}))
        << "empty first, then bytes as unsigned characters";

    int cells[4];
    Map<const int*, int> addresses;
    for (int i : {2, 0, 3, 1})
        addresses.insert(&cells[i], i);
    int expected = 0;
    for (const auto* node = addresses.first(); node; node = addresses.next(node))
        EXPECT_EQ(node->value, expected++);

    using Triple = Tuple<int, 3>;
    Map<Triple, int> tuples;
    tuples.insert(Triple{{1, 2, -1}}, 3); // -1 is the largest unsigned value
    tuples.insert(Triple{{1, 2, 3}}, 2);
    tuples.insert(Triple{{0, 9, 9}}, 1);
    tuples.insert(Triple{{-1, 0, 0}}, 4);
    EXPECT_EQ(tuples.insert(Triple{{1, 2, 3}}, 2), tuples.find(Triple{{1, 2, 3}}));
    expected = 1;
    for (const auto& node : tuples)
        EXPECT_EQ(node.value, expected++);

    Map<double, int> numbers;
    numbers.insert(-0.5, 0);
    numbers.insert(-2.0, 0);
    EXPECT_EQ(numbers.first()->key, -2.0);
}

TEST(MapElements, ClearDestroysEveryKeyAndValueOnceAndReusesTheNodes) {
    Counted::resetCounts();
    {
        Map<Counted, Counted> map;
        for (int i = 0; i < 200; ++i)
            map.insert(Counted(i % 150), Counted(i));
        EXPECT_EQ(map.count(), 150u);
        EXPECT_EQ(Counted::alive, 300);
        const auto capacity = map.treap().nodes().capacity();
        map.clear();
        EXPECT_EQ(Counted::alive, 0);
        EXPECT_EQ(map.first(), nullptr);
        for (int i = 0; i < 150; ++i)
            map.insert(Counted(i), Counted(i));
        EXPECT_EQ(map.treap().nodes().capacity(), capacity);
        Map<Counted, Counted> copy(map);
        EXPECT_EQ(Counted::alive, 600);
        copy.find(Counted(5))->value.value = 55;
        EXPECT_EQ(map.find(Counted(5))->value.value, 5) << "a copy is independent";
        Map<Counted, Counted> moved(std::move(copy));
        EXPECT_EQ(copy.count(), 0u);
        EXPECT_EQ(moved.find(Counted(5))->value.value, 55);
        checkTreap(moved);
    }
    EXPECT_EQ(Counted::alive, 0);
    EXPECT_EQ(Counted::constructed, Counted::destroyed);
}

TEST(MapElements, PointerValuesAndKeysHoldOneReferenceEach) {
    int destructions = 0;
    auto* first = new Tracked(&destructions);
    auto* second = new Tracked(&destructions);
    {
        Map<int, Pointer<Tracked>> map;
        map.insert(1, first);
        EXPECT_EQ(first->getReferenceCount(), 2);
        map.insert(1, second);
        EXPECT_EQ(first->getReferenceCount(), 1) << "the replaced value is released";
        EXPECT_EQ(second->getReferenceCount(), 2);

        Set<Pointer<Tracked>> set;
        set.insert(first);
        set.insert(first);
        EXPECT_EQ(set.count(), 1u);
        EXPECT_EQ(first->getReferenceCount(), 2) << "re-inserting leaves one reference";
        EXPECT_TRUE(set.remove(first));
        EXPECT_EQ(first->getReferenceCount(), 1);
        set.insert(second);
        EXPECT_EQ(set.getClassName(), "Object:Set");
        EXPECT_EQ(map.getClassName(), "Object:Map");
    }
    EXPECT_EQ(first->getReferenceCount(), 1);
    EXPECT_EQ(second->getReferenceCount(), 1);
    first->release();
    second->release();
    EXPECT_EQ(destructions, 2);
}

} // namespace
} // namespace orvane::container
