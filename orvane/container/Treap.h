#pragma once

#include "orvane/container/Allocator.h"
#include "orvane/container/KeyOrder.h"

#include <cstdint>
#include <type_traits>
#include <utility>

namespace orvane::container {

// The links every treap node carries. Children hold smaller (left) and larger (right)
// keys; priorities are kept in max-heap order, a parent's never below its children's.
struct TreapNode {
    TreapNode* left = nullptr;
    TreapNode* right = nullptr;
    TreapNode* parent = nullptr;
    std::uint32_t priority = 0; // 0 to 32767
};

// The part of a treap that does not depend on the key: linking, rotations, walking and
// the priority generator. Shared by every Map and Set.
class TreapBase {
public:
    std::uint32_t count() const noexcept { return size; }
    bool isEmpty() const noexcept { return size == 0; }
    const TreapNode* top() const noexcept { return root; }

    // Restarts the priority generator; a fresh treap starts from 0. Any seed gives a
    // valid treap: this is only for reproducing a particular shape.
    void seedPriorities(std::uint32_t value) noexcept { seed = value; }

    // The first node in key order (the leftmost one), or null.
    static TreapNode* leftmost(TreapNode* node) noexcept;
    // The node after node in key order, or null after the last.
    static TreapNode* successor(TreapNode* node) noexcept;

protected:
    TreapBase() noexcept = default;
    TreapBase(TreapBase&& other) noexcept;
    TreapBase& operator=(TreapBase&& other) noexcept;
    ~TreapBase() = default;

    // Links node as the left or right child of parent (or as the root when parent is
    // null), draws its priority and rotates it up while its parent's priority is smaller.
    void attach(TreapNode* node, TreapNode* parent, bool asLeft) noexcept;
    // Rotates node down below its children until it has at most one, then splices it out.
    void detach(TreapNode* node) noexcept;
    void forgetAll() noexcept {
        root = nullptr;
        size = 0;
    }

    TreapNode* root = nullptr;

private:
    // The classic C library generator; priorities are its 15-bit outputs.
    std::uint32_t nextPriority() noexcept {
        seed = seed * 214013u + 2531011u;
        return (seed >> 16) & 0x7FFFu;
    }
    // Moves node one level up, its parent becoming its child.
    void rotateUp(TreapNode* node) noexcept;

    std::uint32_t size = 0;
    std::uint32_t seed = 0;
};

// A treap of Node records drawn from its own pool. Node derives from TreapNode and has a
// member `key` of type Node::KeyType, ordered by KeyOrder. Map and Set are thin faces on it.
template <class Node>
class Treap : public TreapBase {
public:
    using Key = typename Node::KeyType;

    // Where a key is, or where it would be linked.
    struct Place {
        Node* found = nullptr;
        TreapNode* parent = nullptr;
        bool left = false;
    };

    Treap() noexcept = default;
    // A copy holds copies of every node (same keys, fresh priorities).
    Treap(const Treap& other)
        : TreapBase() {
        copyNodes(other);
    }
    Treap(Treap&& other) noexcept = default;
    Treap& operator=(const Treap& other) {
        if (this != &other) {
            clear();
            copyNodes(other);
        }
        return *this;
    }
    Treap& operator=(Treap&& other) noexcept {
        if (this != &other) {
            clear();
            TreapBase::operator=(std::move(other));
            pool = std::move(other.pool);
        }
        return *this;
    }
    ~Treap() { clear(); }

    Place locate(const Key& key) const noexcept {
        Place place;
        for (TreapNode* at = root; at;) {
            const int order = KeyOrder<Key>::compare(key, nodeOf(at)->key);
            if (order == 0) {
                place.found = nodeOf(at);
                return place;
            }
            place.parent = at;
            place.left = order < 0;
            at = place.left ? at->left : at->right;
        }
        return place;
    }

    Node* find(const Key& key) const noexcept { return locate(key).found; }

    // Makes a node from args and links it at place, which must come from locate() with no
    // change to the treap in between.
    template <class... Args>
    Node* add(const Place& place, Args&&... args) {
        Node* node = pool.create(std::forward<Args>(args)...);
        attach(node, place.parent, place.left);
        return node;
    }

    bool remove(const Key& key) noexcept {
        Node* node = find(key);
        if (!node)
            return false;
        detach(node);
        pool.destroy(node);
        return true;
    }

    // Destroys every node bottom-up (left subtree, right subtree, node) and returns it to
    // the pool, which keeps its blocks for reuse.
    void clear() noexcept {
        TreapNode* at = root;
        while (at) {
            if (at->left) {
                at = at->left;
            } else if (at->right) {
                at = at->right;
            } else {
                TreapNode* up = at->parent;
                if (up)
                    (up->left == at ? up->left : up->right) = nullptr;
                pool.destroy(nodeOf(at));
                at = up;
            }
        }
        forgetAll();
    }

    Node* first() const noexcept { return nodeOf(leftmost(root)); }
    static Node* next(const Node* node) noexcept {
        return nodeOf(successor(const_cast<Node*>(node)));
    }

    const Allocator<Node>& nodes() const noexcept { return pool; }

    static Node* nodeOf(TreapNode* node) noexcept { return static_cast<Node*>(node); }

private:
    void copyNodes(const Treap& other) {
        for (Node* node = other.first(); node; node = next(node))
            add(locate(node->key), std::as_const(*node));
    }

    Allocator<Node> pool;
};

// In-order iteration over the nodes of a treap, for range-for.
template <class Node>
class TreapIterator {
public:
    explicit TreapIterator(Node* at) noexcept
        : node(at) {}
    Node& operator*() const noexcept { return *node; }
    Node* operator->() const noexcept { return node; }
    TreapIterator& operator++() noexcept {
        node = Treap<std::remove_const_t<Node>>::next(node);
        return *this;
    }
    bool operator==(const TreapIterator& other) const noexcept { return node == other.node; }

private:
    Node* node;
};

} // namespace orvane::container
