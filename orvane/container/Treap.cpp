#include "orvane/container/Treap.h"

namespace orvane::container {

TreapBase::TreapBase(TreapBase&& other) noexcept
    : root(std::exchange(other.root, nullptr))
    , size(std::exchange(other.size, 0))
    , seed(std::exchange(other.seed, 0)) {}

TreapBase& TreapBase::operator=(TreapBase&& other) noexcept {
    root = std::exchange(other.root, nullptr);
    size = std::exchange(other.size, 0);
    seed = std::exchange(other.seed, 0);
    return *this;
}

TreapNode* TreapBase::leftmost(TreapNode* node) noexcept {
    if (node)
        while (node->left)
            node = node->left;
    return node;
}

TreapNode* TreapBase::successor(TreapNode* node) noexcept {
    if (node->right)
        return leftmost(node->right);
    TreapNode* up = node->parent;
    while (up && node == up->right) {
        node = up;
        up = up->parent;
    }
    return up;
}

void TreapBase::attach(TreapNode* node, TreapNode* parent, bool asLeft) noexcept {
    node->left = node->right = nullptr;
    node->parent = parent;
    node->priority = nextPriority();
    if (!parent)
        root = node;
    else if (asLeft)
        parent->left = node;
    else
        parent->right = node;
    // An equal priority stops the climb: the newer node stays below.
    while (node->parent && node->parent->priority < node->priority)
        rotateUp(node);
    ++size;
}

void TreapBase::detach(TreapNode* node) noexcept {
    while (node->left && node->right)
        rotateUp(node->left->priority >= node->right->priority ? node->left : node->right);
    TreapNode* child = node->left ? node->left : node->right;
    TreapNode* parent = node->parent;
    if (child)
        child->parent = parent;
    if (!parent)
        root = child;
    else if (parent->left == node)
        parent->left = child;
    else
        parent->right = child;
    node->left = node->right = node->parent = nullptr;
    --size;
}

void TreapBase::rotateUp(TreapNode* node) noexcept {
    TreapNode* parent = node->parent;
    TreapNode* grandparent = parent->parent;
    if (parent->left == node) {
        parent->left = node->right;
        if (node->right)
            node->right->parent = parent;
        node->right = parent;
    } else {
        parent->right = node->left;
        if (node->left)
            node->left->parent = parent;
        node->left = parent;
    }
    node->parent = grandparent;
    if (!grandparent)
        root = node;
    else if (grandparent->left == parent)
        grandparent->left = node;
    else
        grandparent->right = node;
    parent->parent = node;
}

} // namespace orvane::container
