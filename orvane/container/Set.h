#pragma once

#include "orvane/container/Treap.h"
#include "orvane/object/Object.h"

#include <concepts>
#include <utility>

namespace orvane::container {

// Ordered set of K: the Map treap without values (see Map for key order and lifetimes).
template <class K>
class Set : public object::Object {
public:
    struct Node : TreapNode {
        using KeyType = K;
        template <class KeyArg>
        requires std::constructible_from<K, KeyArg&&>
        explicit Node(KeyArg&& k)
            : key(std::forward<KeyArg>(k)) {}

        K key;
    };
    using Iterator = TreapIterator<const Node>;

    Set() noexcept = default;
    Set(const Set& other)
        : Object(other)
        , tree(other.tree) {}
    Set(Set&& other) noexcept
        : Object(other)
        , tree(std::move(other.tree)) {}
    Set& operator=(const Set& other) {
        tree = other.tree;
        return *this;
    }
    Set& operator=(Set&& other) noexcept {
        tree = std::move(other.tree);
        return *this;
    }
    ~Set() override = default;

    // Adds key; an equal key already present is assigned the new one (for Pointer keys
    // the same address, so the reference count ends where it was). Answers the key's node.
    const Node* insert(const K& key) {
        const auto place = tree.locate(key);
        if (place.found) {
            place.found->key = key;
            return place.found;
        }
        return tree.add(place, key);
    }

    const Node* find(const K& key) const noexcept { return tree.find(key); }
    bool contains(const K& key) const noexcept { return tree.find(key) != nullptr; }
    bool remove(const K& key) noexcept { return tree.remove(key); }
    void clear() noexcept { tree.clear(); }

    std::uint32_t count() const noexcept { return tree.count(); }
    bool isEmpty() const noexcept { return tree.isEmpty(); }

    const Node* first() const noexcept { return tree.first(); }
    static const Node* next(const Node* node) noexcept { return Treap<Node>::next(node); }
    Iterator begin() const noexcept { return Iterator(tree.first()); }
    Iterator end() const noexcept { return Iterator(nullptr); }

    const Treap<Node>& treap() const noexcept { return tree; }
    void seedPriorities(std::uint32_t seed) noexcept { tree.seedPriorities(seed); }

    types::String getClassName() const override {
        return object::classPath(Object::getClassName(), ":Set");
    }

private:
    Treap<Node> tree;
};

} // namespace orvane::container
