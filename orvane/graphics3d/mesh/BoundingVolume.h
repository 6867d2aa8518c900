#pragma once

#include "orvane/math/Vector.h"

#include <cstdint>

namespace orvane::graphics3d {

// What meshes report as their extent and models unite: empty, or an axis-aligned box
// (kind BOX) given by its minimum and maximum corners.
struct BoundingVolume {
    using Point = math::Vector<float, 3>;

    static constexpr std::uint32_t EMPTY = 0;
    static constexpr std::uint32_t BOX = 8;

    std::uint32_t kind = EMPTY;
    Point minimum{};
    Point maximum{};

    bool isEmpty() const noexcept { return kind == EMPTY; }
    void setBox(const Point& low, const Point& high) noexcept {
        kind = BOX;
        minimum = low;
        maximum = high;
    }
    // Becomes the smallest box holding both; an empty volume adds nothing.
    void unite(const BoundingVolume& other) noexcept;
    void clear() noexcept { *this = BoundingVolume(); }
};

} // namespace orvane::graphics3d
