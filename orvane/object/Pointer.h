#pragma once

#include <compare>
#include <cstddef>
#include <functional>
#include <utility>

namespace orvane::object {

// Counted smart pointer over engine objects (anything with retain() and release()).
// Storing a target retains it; the new target is retained before the old one is released,
// so assigning the pointer already held is safe and leaves the count unchanged. The old
// target is released only after the new one is stored: releasing it may destroy the very
// object the source lives in (`head = std::move(head->next)`), or reach this pointer again.
template <class T>
class Pointer {
public:
    // Arrays may move Pointers bytewise: a Pointer is one address that nothing else refers to.
    using BitwiseRelocatable = void;

    Pointer() noexcept = default;
    Pointer(std::nullptr_t) noexcept {}
    Pointer(T* object) noexcept
        : target(object) {
        retainTarget();
    }
    Pointer(const Pointer& other) noexcept
        : target(other.target) {
        retainTarget();
    }
    template <class U>
    Pointer(const Pointer<U>& other) noexcept
        : target(other.get()) {
        retainTarget();
    }
    Pointer(Pointer&& other) noexcept
        : target(std::exchange(other.target, nullptr)) {}
    ~Pointer() { releaseTarget(); }

    // Takes over the creation reference of a freshly made object without retaining it.
    static Pointer adopt(T* object) noexcept {
        Pointer pointer;
        pointer.target = object;
        return pointer;
    }

    Pointer& operator=(T* object) noexcept {
        if (object)
            object->retain();
        release(std::exchange(target, object));
        return *this;
    }
    Pointer& operator=(const Pointer& other) noexcept { return *this = other.target; }
    Pointer& operator=(Pointer&& other) noexcept {
        if (this != &other)
            release(std::exchange(target, std::exchange(other.target, nullptr)));
        return *this;
    }

    T* get() const noexcept { return target; }
    T* operator->() const noexcept { return target; }
    T& operator*() const noexcept { return *target; }
    explicit operator bool() const noexcept { return target != nullptr; }

    // Pointers compare by address.
    friend bool operator==(const Pointer& a, const Pointer& b) noexcept {
        return a.target == b.target;
    }
    friend bool operator==(const Pointer& a, const T* b) noexcept { return a.target == b; }
    friend std::strong_ordering operator<=>(const Pointer& a, const Pointer& b) noexcept {
        return std::compare_three_way()(a.target, b.target);
    }

private:
    void retainTarget() const noexcept {
        if (target)
            target->retain();
    }
    void releaseTarget() const noexcept { release(target); }
    static void release(T* object) noexcept {
        if (object)
            object->release();
    }

    T* target = nullptr;
};

// Makes a new object and hands its creation reference to the returned pointer.
template <class T, class... Args>
Pointer<T> make(Args&&... args) {
    return Pointer<T>::adopt(new T(std::forward<Args>(args)...));
}

} // namespace orvane::object
