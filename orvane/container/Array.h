#pragma once

#include "orvane/object/Object.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace orvane::container {

// Contiguous growable array.
//
// Growth: the first allocation is exactly what is asked for; later ones add the current
// count clamped to 4..1024 elements (or more when asked for more), so small arrays grow in
// small steps and large ones in steps of at most 1024. Elements are destroyed in index
// order when dropped (shrinking, resize(0), destruction); plain values and Pointers are
// relocated bytewise when the storage grows, other elements by move construction.
template <class T>
class Array : public object::Object {
public:
    Array() noexcept = default;
    Array(const Array& other)
        : Object(other) {
        copyFrom(other);
    }
    Array(Array&& other) noexcept
        : Object(other)
        , elements(std::exchange(other.elements, 0))
        , allocated(std::exchange(other.allocated, 0))
        , storage(std::exchange(other.storage, nullptr)) {}
    ~Array() override { resize(0); }

    Array& operator=(const Array& other) {
        if (this != &other) {
            resize(0);
            copyFrom(other);
        }
        return *this;
    }
    Array& operator=(Array&& other) noexcept {
        if (this != &other) {
            resize(0);
            elements = std::exchange(other.elements, 0);
            allocated = std::exchange(other.allocated, 0);
            storage = std::exchange(other.storage, nullptr);
        }
        return *this;
    }

    // Sets the count to n: 0 frees everything; new elements are value-initialised.
    void resize(std::uint32_t n) {
        if (n == 0) {
            destroy(0, elements);
            std::free(storage);
            storage = nullptr;
            elements = allocated = 0;
            return;
        }
        if (n > allocated)
            reallocate(grownCapacity(n));
        if (n < elements)
            destroy(n, elements);
        for (std::uint32_t i = elements; i < n; ++i)
            new (storage + i) T();
        elements = n;
    }

    void clear() { resize(0); }

    // Appends a copy of value and answers its index. value may be an element of this array.
    std::uint32_t add(const T& value) { return emplace(value); }
    std::uint32_t add(T&& value) { return emplace(std::move(value)); }

    template <class... Args>
    std::uint32_t emplace(Args&&... args) {
        if (elements == allocated) {
            T item(std::forward<Args>(args)...); // args may refer into the old storage
            reallocate(grownCapacity(elements + 1));
            new (storage + elements) T(std::move(item));
        } else {
            new (storage + elements) T(std::forward<Args>(args)...);
        }
        return elements++;
    }

    // Removes the last element.
    void removeLast() {
        if (elements > 0) {
            destroy(elements - 1, elements);
            --elements;
        }
    }

    T& operator[](std::uint32_t index) noexcept { return storage[index]; }
    const T& operator[](std::uint32_t index) const noexcept { return storage[index]; }
    std::uint32_t count() const noexcept { return elements; }
    std::uint32_t capacity() const noexcept { return allocated; }
    bool isEmpty() const noexcept { return elements == 0; }

    T* data() noexcept { return storage; }
    const T* data() const noexcept { return storage; }
    T* begin() noexcept { return storage; }
    T* end() noexcept { return storage + elements; }
    const T* begin() const noexcept { return storage; }
    const T* end() const noexcept { return storage + elements; }

    types::String getClassName() const override {
        return object::classPath(Object::getClassName(), ":Array");
    }

private:
    // Plain values, and Pointers (one address, no self-reference), move bytewise.
    static constexpr bool bitwiseRelocatable = std::is_trivially_copyable_v<T> || requires {
        typename T::BitwiseRelocatable;
    };

    std::uint32_t grownCapacity(std::uint32_t needed) const {
        if (allocated == 0)
            return needed;
        const std::uint32_t step = elements < 4 ? 4 : (elements > 1024 ? 1024 : elements);
        const std::uint64_t stepped = std::uint64_t(allocated) + step;
        return stepped > needed ? static_cast<std::uint32_t>(stepped) : needed;
    }

    // Bitwise-relocatable elements go through realloc, which often extends the block in
    // place (or remaps its pages) instead of copying: with steps of at most 1024 elements
    // a large array regrows often.
    void reallocate(std::uint32_t newCapacity) {
        if (std::uint64_t(newCapacity) * sizeof(T) > SIZE_MAX / 2)
            throw std::bad_alloc();
        const std::size_t bytes = std::size_t(newCapacity) * sizeof(T);
        T* grown;
        if constexpr (bitwiseRelocatable) {
            grown = static_cast<T*>(std::realloc(static_cast<void*>(storage), bytes));
            if (!grown)
                throw std::bad_alloc();
        } else {
            grown = static_cast<T*>(std::malloc(bytes));
            if (!grown)
                throw std::bad_alloc();
            for (std::uint32_t i = 0; i < elements; ++i) {
                new (grown + i) T(std::move(storage[i]));
                storage[i].~T();
            }
            std::free(storage);
        }
        storage = grown;
        allocated = newCapacity;
    }

    void destroy(std::uint32_t from, std::uint32_t to) noexcept {
        if constexpr (!std::is_trivially_destructible_v<T>)
            for (std::uint32_t i = from; i < to; ++i)
                storage[i].~T();
    }

    void copyFrom(const Array& other) {
        if (other.elements == 0)
            return;
        reallocate(other.elements);
        for (; elements < other.elements; ++elements)
            new (storage + elements) T(other.storage[elements]);
    }

    std::uint32_t elements = 0;
    std::uint32_t allocated = 0;
    T* storage = nullptr;
};

} // namespace orvane::container
