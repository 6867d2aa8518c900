#pragma once

#include "orvane/container/Array.h"
#include "orvane/math/Vector.h"
#include "orvane/object/Object.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>

namespace orvane::geometry {

// A CPU-side triangle soup: points and vertex indices taken three at a time (triangle t
// uses indices 3t, 3t+1 and 3t+2). It holds data only and knows nothing of OpenGL; meshes
// export their positions and triangles into one (Mesh::createTriangleMesh).
//
// Indices are not checked against the vertex count: whoever fills the mesh keeps them
// below it (the mesh exporters do).
template <class T, std::size_t N>
class TriangleMesh : public object::Object {
public:
    using Point = math::Vector<T, N>;

    // New points are zero.
    void setVertexCount(std::uint32_t count) { vertices.resize(count); }
    // Stores a point; false (nothing stored) for an index at or beyond the vertex count.
    bool setVertex(std::uint32_t index, const Point& point) noexcept {
        if (index >= vertices.count())
            return false;
        vertices[index] = point;
        return true;
    }
    // Makes triangle t the last one (the index list becomes 3t + 3 long) and stores it.
    // A list that would not fit a 32-bit count (t of 0x55555555 or more) is refused with
    // std::bad_alloc before anything changes, as a list too large for memory is.
    void setTriangle(std::uint32_t t, std::uint32_t i0, std::uint32_t i1, std::uint32_t i2) {
        const std::uint64_t length = 3 * std::uint64_t(t) + 3;
        if (length > std::numeric_limits<std::uint32_t>::max())
            throw std::bad_alloc();
        indices.resize(std::uint32_t(length));
        indices[3 * t] = i0;
        indices[3 * t + 1] = i1;
        indices[3 * t + 2] = i2;
    }
    // Appends a triangle.
    void addTriangle(std::uint32_t i0, std::uint32_t i1, std::uint32_t i2) {
        setTriangle(triangleCount(), i0, i1, i2);
    }

    std::uint32_t vertexCount() const noexcept { return vertices.count(); }
    std::uint32_t triangleCount() const noexcept { return indices.count() / 3; }
    const Point& vertex(std::uint32_t index) const noexcept { return vertices[index]; }
    // The three vertex indices of triangle t.
    const std::uint32_t* triangle(std::uint32_t t) const noexcept { return &indices[3 * t]; }
    const container::Array<Point>& vertexArray() const noexcept { return vertices; }
    const container::Array<std::uint32_t>& indexArray() const noexcept { return indices; }

    types::String getClassName() const override {
        return object::classPath(Object::getClassName(), ":TriangleMesh");
    }

private:
    // Destroyed in reverse: the index storage goes first.
    container::Array<Point> vertices;
    container::Array<std::uint32_t> indices;
};

} // namespace orvane::geometry
