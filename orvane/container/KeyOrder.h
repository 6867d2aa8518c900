#pragma once

#include "orvane/object/Pointer.h"

#include <concepts>
#include <cstdint>
#include <type_traits>

namespace orvane::container {

// How Map and Set order their keys: compare(a, b) answers negative, zero or positive.
//
// - types with a compare() member (String, Tuple) use it;
// - raw pointers and Pointer<T> compare by address as unsigned numbers;
// - arithmetic types compare by value;
// - anything else by its operator<.
//
// Specialise KeyOrder<K> for a key type that needs another order.
template <class K>
struct KeyOrder {
    static int compare(const K& a, const K& b) noexcept {
        if constexpr (requires {
                          { a.compare(b) } -> std::convertible_to<int>;
                      }) {
            return a.compare(b);
        } else if constexpr (std::is_pointer_v<K>) {
            return threeWay(reinterpret_cast<std::uintptr_t>(a),
                            reinterpret_cast<std::uintptr_t>(b));
        } else {
            return threeWay(a, b);
        }
    }

    template <class U>
    static int threeWay(const U& a, const U& b) noexcept {
        return a < b ? -1 : (b < a ? 1 : 0);
    }
};

template <class T>
struct KeyOrder<object::Pointer<T>> {
    static int compare(const object::Pointer<T>& a, const object::Pointer<T>& b) noexcept {
        return KeyOrder<T*>::compare(a.get(), b.get());
    }
};

} // namespace orvane::container
