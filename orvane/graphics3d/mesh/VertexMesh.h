#pragma once

#include "orvane/graphics3d/mesh/Mesh.h"
#include "orvane/graphics3d/mesh/VertexBuffer.h"

#include <cstdint>

namespace orvane::graphics3d {

class Context;
class PositionArray;

// Up to 16 vertex buffers (streams) drawn with glDrawArrays over the vertex range
// first .. end.
//
// Ranges: drawing uses first .. end as given, so an empty range (first == end) draws
// nothing (glDrawArrays with count 0), which is also what the optimiser records for it;
// the bounds and the triangle export read every vertex of the position buffer for an
// empty range. Ranges reaching past the vertices are cut at the mesh's vertex count
// (the smallest of its buffers') for drawing and at the position buffer's for reading,
// so nothing reads past a buffer.
class VertexMesh : public Mesh {
public:
    static constexpr int STREAMS = 16;

    // Stores the buffer for the stream (0 to 15; others are ignored) and refreshes.
    void setVertexBuffer(VertexBuffer* buffer, int stream);
    void clearVertexBuffer(int stream) { setVertexBuffer(nullptr, stream); }
    void clearVertexBuffers();
    // Recomputes bufferCount, vertexCount and arrayMask from the streams.
    void refresh();

    void setFirst(std::uint32_t value) noexcept { first = value; }
    void setEnd(std::uint32_t value) noexcept { end = value; }
    std::uint32_t getFirst() const noexcept { return first; }
    std::uint32_t getEnd() const noexcept { return end; }

    VertexBuffer* vertexBuffer(int stream) const noexcept;
    // One more than the highest stream that holds a buffer.
    std::uint32_t getBufferCount() const noexcept { return bufferCount; }
    // The smallest vertex count of the buffers held.
    std::uint32_t getVertexCount() const noexcept { return vertexCount; }
    // The arrays the buffers held feed.
    std::uint32_t getArrayMask() const noexcept { return arrayMask; }

    void draw() override;
    geometry::TriangleMesh3<float>* createTriangleMesh() override;
    bool getBounds(BoundingVolume& volume) override;

    types::String getClassName() const override;

protected:
    // Points the client arrays at every stream's buffer, in stream order.
    void bindVertexBuffers() const;
    // The appearance; then, when no shader is current (none in the appearance, nor left
    // by what was drawn before), the arrays the buffers feed, which otherwise only a
    // shader switches on.
    void applyAppearance(Context& context) const;
    // The first stream whose buffer has positions.
    PositionArray positions() const;

    object::Pointer<VertexBuffer> vertexBuffers[STREAMS];
    std::uint32_t bufferCount = 0;
    std::uint32_t vertexCount = 0;
    std::uint32_t arrayMask = 0;
    std::uint32_t first = 0;
    std::uint32_t end = 0;
};

} // namespace orvane::graphics3d
