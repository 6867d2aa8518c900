#pragma once

#include "orvane/graphics/Geometry.h"
#include "orvane/object/Object.h"

namespace orvane::graphics {

// A 2D affine transform of six values: a point (x, y) maps to
//   x' = a·x + b·y + c,   y' = d·x + e·y + f;
// a size maps through the linear part only (without c and f).
template <class T>
class Transform : public object::Object {
public:
    T a = 1, b = 0, c = 0;
    T d = 0, e = 1, f = 0;

    Transform() noexcept = default;
    Transform(T a, T b, T c, T d, T e, T f) noexcept
        : a(a)
        , b(b)
        , c(c)
        , d(d)
        , e(e)
        , f(f) {}
    Transform(const Transform&) noexcept = default;
    Transform& operator=(const Transform& other) noexcept {
        a = other.a, b = other.b, c = other.c, d = other.d, e = other.e, f = other.f;
        return *this;
    }

    static Transform identity() noexcept { return Transform(); }
    static Transform translation(T x, T y) noexcept { return Transform(1, 0, x, 0, 1, y); }
    static Transform scaling(T x, T y) noexcept { return Transform(x, 0, 0, 0, y, 0); }

    Point<T> map(Point<T> p) const noexcept {
        return {a * p.x + b * p.y + c, d * p.x + e * p.y + f};
    }
    Size<T> map(Size<T> s) const noexcept {
        return {a * s.width + b * s.height, d * s.width + e * s.height};
    }
    // The rectangle's origin mapped as a point and its extent mapped as a size.
    Rectangle<T> map(const Rectangle<T>& r) const noexcept {
        Point<T> p = map(r.position());
        Size<T> s = map(r.size());
        return {p.x, p.y, s.width, s.height};
    }

    // The transform that applies `inner` first and this one afterwards.
    Transform operator*(const Transform& inner) const noexcept {
        return Transform(a * inner.a + b * inner.d, a * inner.b + b * inner.e,
                         a * inner.c + b * inner.f + c, d * inner.a + e * inner.d,
                         d * inner.b + e * inner.e, d * inner.c + e * inner.f + f);
    }

    // This transform followed by a move by (x, y).
    Transform translated(T x, T y) const noexcept {
        Transform moved(*this);
        moved.c += x;
        moved.f += y;
        return moved;
    }

    T determinant() const noexcept { return a * e - b * d; }
    bool isInvertible() const noexcept { return determinant() != T(0); }
    // The transform that undoes this one; the identity when there is none.
    Transform inverse() const noexcept {
        T det = determinant();
        if (det == T(0))
            return Transform();
        T ia = e / det, ib = -b / det, id = -d / det, ie = a / det;
        return Transform(ia, ib, -(ia * c + ib * f), id, ie, -(id * c + ie * f));
    }

    friend bool operator==(const Transform& x, const Transform& y) noexcept {
        return x.a == y.a && x.b == y.b && x.c == y.c && x.d == y.d && x.e == y.e && x.f == y.f;
    }

    types::String getClassName() const override {
        return object::classPath(Object::getClassName(), ":Transform");
    }
};

} // namespace orvane::graphics
