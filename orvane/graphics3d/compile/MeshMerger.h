#pragma once

#include "orvane/container/List.h"
#include "orvane/container/Map.h"
#include "orvane/container/Tuple.h"
#include "orvane/graphics3d/mesh/IndexBuffer.h"
#include "orvane/graphics3d/mesh/VertexBuffer.h"
#include "orvane/graphics3d/mesh/VertexFormat.h"
#include "orvane/object/Object.h"
#include "orvane/object/Pointer.h"

#include <cstdint>

namespace orvane::graphics3d {

class Mesh;

// Packs the vertex and index data of many meshes into a few large buffers, so that they
// draw without rebinding, and tells each user where its data went.
//
// Vertex data is grouped by layout: every tuple of vertex buffers (up to 16 buffers whose
// vertices belong together, one per stream) whose combined format is equal goes into one
// interleaved vertex buffer, tuple after tuple; a merged vertex holds the tuple's vertices
// side by side, in tuple order. Index data is grouped by element width: index buffers of
// one width go into one index buffer, each index shifted by the place of its vertices in
// the merged vertex buffer.
//
// Use: any number of add... calls (each reserves room and answers an offset), one merge()
// (creates and fills the merged buffers, USAGE_STATIC, and rewrites the registered
// meshes), then lookups. Needs the rendering thread's context while merging, since merged
// buffers are buffer objects where the driver has them.
//
// Limits kept safe:
// - A tuple reserves the vertex count of its longest buffer; each buffer is copied for
//   its own vertices only and the rest of its bytes stay zero, so nothing is read past a
//   shorter buffer. Users are told the count of the shortest, which is what a mesh over
//   the buffers draws.
// - Where two buffers of a tuple feed the same array, the merged vertex keeps the later
//   buffer's component, as binding them in stream order leaves it. A tuple whose
//   components do not all fit the 16 entries of one format is not registered: merged,
//   the arrays left out would not be drawn.
// - A merged buffer that cannot be made or mapped, or a source that cannot be read,
//   leaves every user on its own buffers.
// - Shifted indices never wrap: an index buffer whose largest index plus its vertex
//   offset does not fit its element width goes into the merged buffer of the next wider
//   width (2, then 4 bytes); one whose sums exceed 32 bits is not registered at all.
// - An index buffer has one vertex offset, the one it was first registered with.
// - Buffers with no vertices or indices are not registered; their lookups answer null,
//   and users keep their own buffers.
class MeshMerger : public object::Object {
public:
    static constexpr std::uint32_t SLOTS = 16;
    using BufferTuple = container::Tuple<VertexBuffer*, SLOTS>;

    // One merged vertex buffer.
    struct VbInfo {
        VertexFormat format;
        object::Pointer<VertexBuffer> buffer; // null until merge, or when creation failed
        std::uint32_t vertexCount = 0;
    };
    // One merged index buffer.
    struct IbInfo {
        std::uint32_t elementSize = 0;
        object::Pointer<IndexBuffer> buffer;
        std::uint32_t indexCount = 0;
    };
    struct VbMapping {
        VbInfo* group = nullptr;
        std::uint32_t offset = 0; // first vertex of the tuple in the group
        std::uint32_t count = 0;
    };
    struct IbMapping {
        IbInfo* group = nullptr;
        std::uint32_t offset = 0; // first index in the merged buffer
        std::uint32_t count = 0;
        std::uint32_t vertexOffset = 0; // added to every index
    };
    // What a lookup answers; all zero and null for data that was not registered.
    struct VertexPlace {
        VertexBuffer* buffer = nullptr;
        std::uint32_t offset = 0;
        std::uint32_t count = 0;
    };
    struct IndexPlace {
        IndexBuffer* buffer = nullptr;
        std::uint32_t offset = 0;
        std::uint32_t count = 0;
        std::uint32_t vertexOffset = 0;
    };

    // An all-null tuple.
    static BufferTuple emptyTuple() noexcept;

    // Reserves room for the tuple's vertices; answers their first vertex in the merged
    // buffer (0 for a tuple without vertices, which is not registered). A tuple
    // registered before answers its offset again.
    std::uint32_t addVertexBuffers(const BufferTuple& tuple);
    std::uint32_t addVertexBuffer(VertexBuffer* buffer);
    // Reserves room for the indices, to be shifted by `vertexOffset`; answers their first
    // index in the merged buffer (0 when nothing is registered).
    std::uint32_t addIndexBuffer(IndexBuffer* indexBuffer, std::uint32_t vertexOffset);
    // Both: the tuple, then the indices shifted by the tuple's vertex offset.
    std::uint32_t add(const BufferTuple& tuple, IndexBuffer* indexBuffer);
    void addIndexBuffer(VertexBuffer* vertexBuffer, IndexBuffer* indexBuffer);
    // Registers the buffers of an IndexMesh or VertexMesh (exact class) and the mesh for
    // rewriting; false, with nothing done, for any other mesh.
    bool addMesh(Mesh* mesh);

    // Creates and fills the merged buffers, then rewrites the registered meshes: each
    // takes the merged buffers (vertex buffer in stream 0) and its range is shifted to its
    // data's place. A mesh whose data could not be merged keeps its own buffers.
    void merge();

    VertexPlace lookupVertexBuffers(const BufferTuple& tuple) const;
    IndexPlace lookupIndexBuffer(IndexBuffer* indexBuffer) const;

    std::uint32_t vertexGroupCount() const noexcept { return vertexGroups.count(); }
    std::uint32_t indexGroupCount() const noexcept { return indexGroups.count(); }

    types::String getClassName() const override;

private:
    // Each makes and fills its merged buffers; false when one could not be made or a
    // buffer could not be mapped.
    bool mergeIndices();
    bool mergeVertices();
    void rewriteMeshes();

    container::Map<BufferTuple, VbMapping> vertexMap;
    container::Map<IndexBuffer*, IbMapping> indexMap;
    container::List<VbInfo> vertexGroups;
    container::List<IbInfo> indexGroups;
    container::List<Mesh*> meshes;
};

} // namespace orvane::graphics3d
