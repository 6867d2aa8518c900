#pragma once

#include <cstdint>
#include <type_traits>

namespace orvane::container {

// N values of T stored inline; a plain value (no object header) used as a map key, such as
// the sixteen vertex-buffer pointers the mesh merger groups by.
//
// Tuples are equal when every element is; they order lexicographically, each element taken
// as an unsigned number (pointers by address, signed integers by their bit pattern), so the
// first differing element decides. A tuple is an aggregate: Tuple<int, 3>{{1, 2, 3}}; its
// elements start zeroed when value-initialised (Tuple<int, 3>{}).
template <class T, std::uint32_t N>
struct Tuple {
    static_assert(N > 0, "a tuple holds at least one value");
    static_assert(std::is_pointer_v<T> || std::is_integral_v<T> || std::is_enum_v<T>,
                  "tuple elements are ordered as unsigned numbers");

    T values[N];

    static constexpr std::uint32_t size() noexcept { return N; }
    T& operator[](std::uint32_t index) noexcept { return values[index]; }
    const T& operator[](std::uint32_t index) const noexcept { return values[index]; }

    // Negative, zero or positive, by the first element that differs.
    int compare(const Tuple& other) const noexcept {
        for (std::uint32_t i = 0; i < N; ++i) {
            const auto a = asUnsigned(values[i]);
            const auto b = asUnsigned(other.values[i]);
            if (a != b)
                return a < b ? -1 : 1;
        }
        return 0;
    }

    friend bool operator==(const Tuple& a, const Tuple& b) noexcept { return a.compare(b) == 0; }
    friend bool operator<(const Tuple& a, const Tuple& b) noexcept { return a.compare(b) < 0; }

private:
    static auto asUnsigned(const T& value) noexcept {
        if constexpr (std::is_pointer_v<T>)
            return reinterpret_cast<std::uintptr_t>(value);
        else if constexpr (std::is_enum_v<T>)
            return static_cast<std::make_unsigned_t<std::underlying_type_t<T>>>(value);
        else
            return static_cast<std::make_unsigned_t<T>>(value);
    }
};

} // namespace orvane::container
