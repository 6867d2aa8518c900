#pragma once

#include <cstddef>

namespace orvane::math {

// A point or direction of N scalars, stored as exactly N values (a Vector<float, 3> is
// 12 bytes), so that arrays of vectors are packed coordinate lists.
template <class T, std::size_t N>
struct Vector {
    T values[N];

    constexpr T& operator[](std::size_t index) noexcept { return values[index]; }
    constexpr const T& operator[](std::size_t index) const noexcept { return values[index]; }

    constexpr T& x() noexcept { return values[0]; }
    constexpr const T& x() const noexcept { return values[0]; }
    constexpr T& y() noexcept requires(N >= 2) { return values[1]; }
    constexpr const T& y() const noexcept requires(N >= 2) { return values[1]; }
    constexpr T& z() noexcept requires(N >= 3) { return values[2]; }
    constexpr const T& z() const noexcept requires(N >= 3) { return values[2]; }

    friend constexpr bool operator==(const Vector&, const Vector&) = default;
};

} // namespace orvane::math
