#pragma once

namespace orvane::graphics {

// Plain 2D values used for window and view geometry and for painting.

template <class T>
struct Point {
    T x{};
    T y{};
    friend bool operator==(const Point&, const Point&) = default;
};

template <class T>
struct Size {
    T width{};
    T height{};
    friend bool operator==(const Size&, const Size&) = default;
};

template <class T>
struct Rectangle {
    T x{};
    T y{};
    T width{};
    T height{};
    Point<T> position() const noexcept { return {x, y}; }
    Size<T> size() const noexcept { return {width, height}; }
    friend bool operator==(const Rectangle&, const Rectangle&) = default;
};

} // namespace orvane::graphics
