#pragma once

#include "orvane/graphics3d/mesh/IndexBuffer.h"
#include "orvane/graphics3d/mesh/VertexMesh.h"

namespace orvane::graphics3d {

// A VertexMesh drawn with glDrawElements from one index buffer over the index range
// first .. end; an empty range (first == end) draws every index. Before drawing it
// records the index data (pointer or buffer offset, type, size) as the render context's
// current index state, which compiled draws read.
//
// A mesh without an index buffer draws nothing and exports no triangles; an index range
// reaching past the buffer is cut at its end; the bounds and the triangle export read
// every vertex of the position buffer, and exported triangles that name a vertex beyond
// it are left out.
class IndexMesh : public VertexMesh {
public:
    void setIndexBuffer(IndexBuffer* buffer) noexcept { indexBuffer = buffer; }
    IndexBuffer* getIndexBuffer() const noexcept { return indexBuffer.get(); }

    void draw() override;
    geometry::TriangleMesh3<float>* createTriangleMesh() override;
    bool getBounds(BoundingVolume& volume) override;

    types::String getClassName() const override;

private:
    // Released before the vertex buffers, which the base class holds.
    object::Pointer<IndexBuffer> indexBuffer;
};

} // namespace orvane::graphics3d
