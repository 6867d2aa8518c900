#pragma once

#include "orvane/container/Allocator.h"
#include "orvane/object/Object.h"

#include <cstdint>
#include <utility>

namespace orvane::container {

// The links of a list item; the list's end marker is a bare link.
struct ListLink {
    ListLink* next = nullptr;
    ListLink* previous = nullptr;
};

// Doubly linked list of values held in items from the list's own pool.
//
// The end marker closes the ring: its next is the first item and its previous the last,
// both the marker itself when the list is empty. Values never move while they are in the
// list and are destroyed exactly once, when the list is cleared or destroyed.
template <class T>
class List : public object::Object {
public:
    struct Item : ListLink {
        template <class... Args>
        explicit Item(Args&&... args)
            : value(std::forward<Args>(args)...) {}
        T value;
    };

    template <class Value>
    class Walker {
    public:
        explicit Walker(ListLink* at) noexcept
            : link(at) {}
        Value& operator*() const noexcept { return static_cast<Item*>(link)->value; }
        Value* operator->() const noexcept { return &static_cast<Item*>(link)->value; }
        Walker& operator++() noexcept {
            link = link->next;
            return *this;
        }
        bool operator==(const Walker& other) const noexcept { return link == other.link; }

    private:
        ListLink* link;
    };
    using Iterator = Walker<T>;
    using ConstIterator = Walker<const T>;

    List() noexcept { endMarker.next = endMarker.previous = &endMarker; }
    List(const List& other)
        : List() {
        copyItems(other);
    }
    // Moving hands the items (and the pool that holds them) over; the source is left empty.
    List(List&& other) noexcept
        : List() {
        takeOver(other);
    }
    List& operator=(const List& other) {
        if (this != &other) {
            clear();
            copyItems(other);
        }
        return *this;
    }
    List& operator=(List&& other) noexcept {
        if (this != &other) {
            clear();
            takeOver(other);
        }
        return *this;
    }
    ~List() override { clear(); }

    // Appends a value made from args after the last item and answers it.
    template <class... Args>
    T& pushBack(Args&&... args) {
        Item* item = items.create(std::forward<Args>(args)...);
        item->next = &endMarker;
        item->previous = endMarker.previous;
        endMarker.previous->next = item;
        endMarker.previous = item;
        ++size;
        return item->value;
    }

    // Destroys every value, first to last; the pool keeps its memory for reuse.
    void clear() noexcept {
        ListLink* link = endMarker.next;
        while (link != &endMarker) {
            ListLink* next = link->next;
            items.destroy(static_cast<Item*>(link));
            link = next;
        }
        endMarker.next = endMarker.previous = &endMarker;
        size = 0;
    }

    std::uint32_t count() const noexcept { return size; }
    bool isEmpty() const noexcept { return size == 0; }
    // The first and last values; the list must not be empty.
    T& front() noexcept { return static_cast<Item*>(endMarker.next)->value; }
    T& back() noexcept { return static_cast<Item*>(endMarker.previous)->value; }

    Iterator begin() noexcept { return Iterator(endMarker.next); }
    Iterator end() noexcept { return Iterator(&endMarker); }
    ConstIterator begin() const noexcept { return ConstIterator(endMarker.next); }
    ConstIterator end() const noexcept { return ConstIterator(const_cast<ListLink*>(&endMarker)); }

    types::String getClassName() const override {
        return object::classPath(Object::getClassName(), ":List");
    }

private:
    void copyItems(const List& other) {
        for (const T& value : other)
            pushBack(value);
    }

    void takeOver(List& other) noexcept {
        if (other.size == 0)
            return;
        items = std::move(other.items);
        endMarker.next = other.endMarker.next;
        endMarker.previous = other.endMarker.previous;
        endMarker.next->previous = &endMarker;
        endMarker.previous->next = &endMarker;
        size = other.size;
        other.endMarker.next = other.endMarker.previous = &other.endMarker;
        other.size = 0;
    }

    Allocator<Item> items;
    ListLink endMarker;
    std::uint32_t size = 0;
};

} // namespace orvane::container
