#pragma once

#include "orvane/object/Object.h"

#include <cstdint>
#include <new>
#include <utility>

namespace orvane::container {

// Last-in first-out stack with a capacity fixed at construction, where all of its storage
// is allocated. push() refuses when the stack is full and pop() when it is empty: a reader
// that pushes one entry per nested record of an untrusted file must not write past the end
// however deep the nesting claims to be.
template <class T>
class Stack : public object::Object {
public:
    explicit Stack(std::uint32_t capacity)
        : storage(static_cast<T*>(
              ::operator new(std::size_t(capacity) * sizeof(T), std::align_val_t(alignof(T)))))
        , limit(capacity) {}
    Stack(const Stack&) = delete;
    Stack& operator=(const Stack&) = delete;
    ~Stack() override {
        clear();
        ::operator delete(storage, std::align_val_t(alignof(T)));
    }

    // Stores value on top; answers false (and stores nothing) when the stack is full.
    bool push(const T& value) {
        if (size == limit)
            return false;
        new (storage + size) T(value);
        ++size;
        return true;
    }

    // Moves the top value into `into` and drops it; answers false when the stack is empty.
    bool pop(T& into) {
        if (size == 0)
            return false;
        --size;
        into = std::move(storage[size]);
        storage[size].~T();
        return true;
    }

    // The top value; the stack must not be empty.
    T& top() noexcept { return storage[size - 1]; }

    void clear() noexcept {
        while (size > 0)
            storage[--size].~T();
    }

    std::uint32_t count() const noexcept { return size; }
    std::uint32_t capacity() const noexcept { return limit; }
    bool isEmpty() const noexcept { return size == 0; }
    bool isFull() const noexcept { return size == limit; }

    types::String getClassName() const override {
        return object::classPath(Object::getClassName(), ":Stack");
    }

private:
    T* storage;
    std::uint32_t limit;
    std::uint32_t size = 0;
};

} // namespace orvane::container
