#pragma once

#include "orvane/container/Treap.h"
#include "orvane/object/Object.h"

#include <utility>

namespace orvane::container {

// Ordered map from K to V: a treap over pooled nodes.
//
// Keys are ordered by KeyOrder<K> (String by String::compare, pointers and Pointers by
// address, Tuples element by element as unsigned numbers, numbers by value) and visited in
// ascending order. Nodes never move while they are in the map, so a Node* stays valid
// until its key is removed or the map is cleared. Keys and values are destroyed exactly
// once, when their node leaves the map; Pointer keys and values hold their reference
// meanwhile. A node's key must not be changed in place.
template <class K, class V>
class Map : public object::Object {
public:
    struct Node : TreapNode {
        using KeyType = K;
        template <class KeyArg, class ValueArg>
        Node(KeyArg&& k, ValueArg&& v)
            : value(std::forward<ValueArg>(v))
            , key(std::forward<KeyArg>(k)) {}

        V value;
        K key;
    };
    using Iterator = TreapIterator<Node>;
    using ConstIterator = TreapIterator<const Node>;

    Map() noexcept = default;
    Map(const Map& other)
        : Object(other)
        , tree(other.tree) {}
    Map(Map&& other) noexcept
        : Object(other)
        , tree(std::move(other.tree)) {}
    Map& operator=(const Map& other) {
        tree = other.tree;
        return *this;
    }
    Map& operator=(Map&& other) noexcept {
        tree = std::move(other.tree);
        return *this;
    }
    ~Map() override = default;

    // Insert-or-assign: an existing equal key gets the new value, otherwise a new node is
    // linked. Answers the key's node either way.
    template <class Value>
    Node* insert(const K& key, Value&& value) {
        const auto place = tree.locate(key);
        if (place.found) {
            place.found->value = std::forward<Value>(value);
            return place.found;
        }
        return tree.add(place, key, std::forward<Value>(value));
    }

    Node* find(const K& key) noexcept { return tree.find(key); }
    const Node* find(const K& key) const noexcept { return tree.find(key); }
    bool contains(const K& key) const noexcept { return tree.find(key) != nullptr; }

    // Removes key with its value; answers whether it was there.
    bool remove(const K& key) noexcept { return tree.remove(key); }
    // Destroys every key and value; the node pool keeps its memory for reuse.
    void clear() noexcept { tree.clear(); }

    std::uint32_t count() const noexcept { return tree.count(); }
    bool isEmpty() const noexcept { return tree.isEmpty(); }

    // In-order walk: first() is the smallest key, next() the following one (null at the end).
    Node* first() noexcept { return tree.first(); }
    const Node* first() const noexcept { return tree.first(); }
    static Node* next(Node* node) noexcept { return Treap<Node>::next(node); }
    static const Node* next(const Node* node) noexcept { return Treap<Node>::next(node); }

    Iterator begin() noexcept { return Iterator(tree.first()); }
    Iterator end() noexcept { return Iterator(nullptr); }
    ConstIterator begin() const noexcept { return ConstIterator(tree.first()); }
    ConstIterator end() const noexcept { return ConstIterator(nullptr); }

    // The tree itself, for callers that need its shape or its pool.
    const Treap<Node>& treap() const noexcept { return tree; }
    void seedPriorities(std::uint32_t seed) noexcept { tree.seedPriorities(seed); }

    types::String getClassName() const override {
        return object::classPath(Object::getClassName(), ":Map");
    }

private:
    Treap<Node> tree;
};

} // namespace orvane::container
