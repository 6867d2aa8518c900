#pragma once

#include "orvane/object/Object.h"

#include <cstdint>

namespace orvane::container {

template <class T>
class Queue;

// Base of every element that can wait in a Queue<T>: the links live in the element, so
// queueing allocates nothing. The fields are public because the element's owner sets them
// up when it takes the element from its pool (no queue, no neighbours, use count 1).
//
// useCount counts the holders of the element: 1 for its maker, +1 while a queue holds it.
template <class T>
struct Queueable {
    Queue<T>* queue = nullptr; // the queue holding the element, or null
    T* next = nullptr;         // towards the tail
    T* previous = nullptr;     // towards the head
    std::uint32_t useCount = 1;
};

// Intrusive doubly linked queue of elements derived from Queueable<T>.
//
// Pushing adds one to the element's use count; popFront() and remove() hand the element
// back with its use count untouched, so the taker inherits the queue's share. clear() (and
// destruction) drop the queue's share of every element still queued: an element with a use
// count of 2 or more is decremented, any other is disposed of through the element type's
// hook
//
//     static void T::dispose(T* element);
//
// which must destroy the element and give back its storage (for pooled elements: run the
// destructor and return the record to its Allocator). Every element type must provide it.
//
// Not locked: the owner of a shared queue guards it.
template <class T>
class Queue : public object::Object {
public:
    Queue() noexcept = default;
    // Elements know their queue, so a queue is neither copied nor moved.
    Queue(const Queue&) = delete;
    Queue& operator=(const Queue&) = delete;
    ~Queue() override { clear(); }

    // Appends element at the tail. An element that already waits in a queue is refused
    // (answers false): linking it twice would corrupt both queues.
    bool pushBack(T* element) noexcept {
        Queueable<T>* links = linksOf(element);
        if (links->queue)
            return false;
        links->queue = this;
        links->next = nullptr;
        links->previous = tail;
        if (tail)
            linksOf(tail)->next = element;
        else
            head = element;
        tail = element;
        ++links->useCount;
        ++size;
        return true;
    }

    // Inserts element at the head; refused like pushBack() for a queued element.
    bool pushFront(T* element) noexcept {
        Queueable<T>* links = linksOf(element);
        if (links->queue)
            return false;
        links->queue = this;
        links->previous = nullptr;
        links->next = head;
        if (head)
            linksOf(head)->previous = element;
        else
            tail = element;
        head = element;
        ++links->useCount;
        ++size;
        return true;
    }

    // Unlinks and answers the head, or null when the queue is empty.
    T* popFront() noexcept {
        T* element = head;
        if (element)
            unlink(element);
        return element;
    }

    // Unlinks element when it waits in this queue (answers false otherwise).
    bool remove(T* element) noexcept {
        if (linksOf(element)->queue != this)
            return false;
        unlink(element);
        return true;
    }

    // Drops the queue's share of every element, head first; see the class comment.
    void clear() noexcept {
        static_assert(
            requires(T * element) { T::dispose(element); },
            "Queue<T> needs static void T::dispose(T*) to clear or destroy a queue");
        while (T* element = popFront()) {
            Queueable<T>* links = linksOf(element);
            if (links->useCount < 2)
                T::dispose(element);
            else
                --links->useCount;
        }
    }

    T* first() const noexcept { return head; }
    T* last() const noexcept { return tail; }
    std::uint32_t count() const noexcept { return size; }
    bool isEmpty() const noexcept { return size == 0; }

    types::String getClassName() const override {
        return object::classPath(Object::getClassName(), ":Queue");
    }

private:
    static Queueable<T>* linksOf(T* element) noexcept { return element; }

    void unlink(T* element) noexcept {
        Queueable<T>* links = linksOf(element);
        if (links->previous)
            linksOf(links->previous)->next = links->next;
        else
            head = links->next;
        if (links->next)
            linksOf(links->next)->previous = links->previous;
        else
            tail = links->previous;
        links->queue = nullptr;
        links->next = links->previous = nullptr;
        --size;
    }

    T* head = nullptr;
    T* tail = nullptr;
    std::uint32_t size = 0;
};

} // namespace orvane::container
