#pragma once

#include "orvane/object/Object.h"

#include <cstdint>

namespace orvane::container {

class ChainBase;

// The three pointers every chain member carries: the chain it belongs to (null when free)
// and its neighbours. Links point at links; the element is found from its link.
struct ChainLink {
    ChainBase* chain = nullptr;
    ChainLink* next = nullptr;
    ChainLink* previous = nullptr;
};

// The untyped half of a chain: a sentinel link (next = first, previous = last, both the
// sentinel itself when empty) and a count.
class ChainBase {
public:
    ChainBase() noexcept { sentinel.chain = this, sentinel.next = sentinel.previous = &sentinel; }
    ChainBase(const ChainBase&) = delete;
    ChainBase& operator=(const ChainBase&) = delete;

    std::uint32_t count() const noexcept { return size; }
    bool isEmpty() const noexcept { return size == 0; }

protected:
    ~ChainBase() = default;

    void linkLast(ChainLink* link) noexcept {
        link->chain = this;
        link->next = &sentinel;
        link->previous = sentinel.previous;
        sentinel.previous->next = link;
        sentinel.previous = link;
        ++size;
    }

public:
    // Unlinks a member without releasing it (used when a member dies while still linked).
    void detach(ChainLink* link) noexcept {
        link->previous->next = link->next;
        link->next->previous = link->previous;
        link->chain = nullptr;
        link->next = link->previous = nullptr;
        --size;
    }

protected:
    ChainLink sentinel;
    std::uint32_t size = 0;
};

// Base of every class whose objects can sit in a Chain<T>. A copy starts free: chain
// membership belongs to the object, not to its value. An element destroyed while linked
// leaves its chain (without a further release).
template <class T>
class Chainable : private ChainLink {
public:
    Chainable() noexcept = default;
    Chainable(const Chainable&) noexcept
        : ChainLink() {}
    Chainable& operator=(const Chainable&) noexcept { return *this; }
    ~Chainable() {
        if (chain)
            chain->detach(this);
    }

    // Whether the element is currently a member of some chain through this base.
    bool isChained() const noexcept { return chain != nullptr; }

private:
    template <class>
    friend class Chain;
};

// Intrusive, reference-holding doubly linked list of objects derived from Chainable<T>.
// add() retains the element and remove()/clear() release it when T is counted (has
// retain()/release()); plain records are simply linked. Not locked: owners guard shared
// chains.
template <class T>
class Chain : public object::Object, public ChainBase {
public:
    Chain() noexcept = default;
    ~Chain() override { clear(); }

    // Links element after the last one. An element already in a chain is left alone
    // (answers false): it may belong to one chain at a time.
    bool add(T* element) noexcept {
        ChainLink* link = linkOf(element);
        if (link->chain)
            return false;
        if constexpr (counted)
            element->retain();
        linkLast(link);
        return true;
    }

    // Unlinks and releases element, but only when it belongs to this chain.
    bool remove(T* element) noexcept {
        ChainLink* link = linkOf(element);
        if (link->chain != this)
            return false;
        detach(link);
        if constexpr (counted)
            element->release();
        return true;
    }

    // Unlinks element without releasing it, only when it belongs to this chain: for a
    // member whose reference the chain gave back (an owner that lists itself).
    bool unlink(T* element) noexcept {
        ChainLink* link = linkOf(element);
        if (link->chain != this)
            return false;
        detach(link);
        return true;
    }

    // Unlinks every element from the first on, releasing each.
    void clear() noexcept {
        while (size > 0)
            remove(elementOf(sentinel.next));
    }

    bool contains(const T* element) const noexcept {
        return linkOf(const_cast<T*>(element))->chain == this;
    }

    T* first() const noexcept { return elementOf(sentinel.next); }
    T* last() const noexcept { return elementOf(sentinel.previous); }
    T* next(const T* element) const noexcept { return elementOf(linkOf(element)->next); }
    T* previous(const T* element) const noexcept { return elementOf(linkOf(element)->previous); }

    // Range-for support; removing the element being visited is not allowed.
    class Iterator {
    public:
        Iterator(const Chain* owner, ChainLink* at) noexcept
            : chain(owner)
            , link(at) {}
        T* operator*() const noexcept { return chain->elementOf(link); }
        Iterator& operator++() noexcept {
            link = link->next;
            return *this;
        }
        bool operator==(const Iterator& other) const noexcept { return link == other.link; }

    private:
        const Chain* chain;
        ChainLink* link;
    };
    Iterator begin() const noexcept { return Iterator(this, sentinel.next); }
    Iterator end() const noexcept { return Iterator(this, const_cast<ChainLink*>(&sentinel)); }

    types::String getClassName() const override {
        return object::classPath(Object::getClassName(), ":Chain");
    }

private:
    static constexpr bool counted = requires(T * t) {
        t->retain();
        t->release();
    };

    static ChainLink* linkOf(const T* element) noexcept {
        return const_cast<ChainLink*>(
            static_cast<const ChainLink*>(static_cast<const Chainable<T>*>(element)));
    }
    // The element owning link, or null for the sentinel.
    T* elementOf(ChainLink* link) const noexcept {
        if (link == &sentinel)
            return nullptr;
        return static_cast<T*>(static_cast<Chainable<T>*>(link));
    }
};

} // namespace orvane::container
