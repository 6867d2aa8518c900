#pragma once

#include "orvane/geometry/TriangleMesh3.h"
#include "orvane/graphics3d/mesh/BoundingVolume.h"
#include "orvane/graphics3d/mesh/VertexBuffer.h"
#include "orvane/object/Pointer.h"

#include <cstdint>

namespace orvane::graphics3d {

// The positions of a mesh read back from its vertex buffer, for bounds and triangle
// export: the first stream whose buffer feeds ARRAY_POSITION and, in it, the first
// component with a type that does.
//
// Reading locks the buffer read-only and always unlocks it again. It never reads outside
// the buffer: vertex ranges are cut at the buffer's vertex count, and a component whose
// scalars would not fit inside the vertex (its offset plus what is read beyond the
// stride) is refused.
class PositionArray {
public:
    // Null buffer and component when no stream has positions.
    static PositionArray find(const object::Pointer<VertexBuffer>* buffers, int count) noexcept;

    explicit operator bool() const noexcept { return buffer != nullptr; }
    std::uint32_t vertexCount() const noexcept { return buffer->vertexCount(); }

    // The box of vertices first .. end. Only three or four signed bytes, 32-bit integers,
    // floats or doubles are accepted, compared in their own type; only x, y and z count.
    // False for other types, no vertex in the range or memory that cannot be mapped.
    bool bounds(std::uint32_t first, std::uint32_t end, BoundingVolume& volume) const;
    // Appends the positions of vertices first .. end to the mesh as float triples (y and z
    // 0 where the component has fewer scalars); every scalar kind is converted. False when
    // the type cannot be read or the memory cannot be mapped.
    bool copy(std::uint32_t first, std::uint32_t end, geometry::TriangleMesh3<float>& mesh) const;

    VertexBuffer* buffer = nullptr;
    const VertexFormat::Component* component = nullptr;

private:
    // Whether `scalars` scalars of the component lie inside the vertex.
    bool fits(std::uint32_t scalars) const noexcept;
};

} // namespace orvane::graphics3d
