#pragma once

#include "orvane/graphics3d/model3ds/Scene3DS.h"

#include <cstdint>
#include <vector>

namespace orvane::graphics3d {

// How a triangle mesh read from a 3DS file is laid out for drawing: the bytes of its
// vertex buffer and of its 16-bit index buffer, and the index range of each mesh drawn
// from them. The model builder locks the buffers and lets this class fill them.
//
// Vertices are 24 bytes (position, normal: three floats each) or, when the mesh has
// texture coordinates, 32 bytes (then u and 1 - v: files put v = 0 at the bottom of a
// picture, textures keep row 0 on top). Positions are taken as read; the local axes are
// not applied.
//
// Normals are smooth: the sum of the cross products of the edges of the faces around a
// vertex, so that larger faces weigh more, scaled to unit length. A vertex whose sum is
// zero (used by no face, or only by faces without area) gets UNUSED_NORMAL. A face with a
// vertex index not below the vertex count is left out of the normals and drawn as
// nothing: its three indices are written as 0, a triangle without area. A group entry not
// below the face count is drawn as nothing the same way.
//
// Each face-material group becomes one range, in file order, three indices per entry.
// The faces no group names follow as one more range without material (all faces, in file
// order, for a mesh without groups), so that faces exported without materials still show.
class MeshLayout3DS {
public:
    static constexpr std::uint32_t POSITION_OFFSET = 0;
    static constexpr std::uint32_t NORMAL_OFFSET = 12;
    static constexpr std::uint32_t TEXCOORD_OFFSET = 24;
    static constexpr float UNUSED_NORMAL[3] = {0.0f, 0.0f, 1.0f};

    // One mesh to draw: indices first .. first + count of the index buffer.
    struct Range {
        std::uint32_t first;
        std::uint32_t count;
        int material; // index into Scene3DS::materials, or -1 for none
    };

    // The mesh must be buildable and outlive the layout.
    explicit MeshLayout3DS(const Mesh3DS& mesh);

    std::uint32_t vertexCount() const noexcept { return mesh.vertexCount; }
    std::uint32_t vertexStride() const noexcept { return mesh.hasTexCoords ? 32 : 24; }
    bool hasTexCoords() const noexcept { return mesh.hasTexCoords; }
    // Fills vertexCount() * vertexStride() bytes.
    void writeVertices(void* memory) const;

    const std::vector<Range>& ranges() const noexcept { return meshRanges; }
    std::uint32_t indexCount() const noexcept { return indices; }
    // Fills indexCount() indices.
    void writeIndices(std::uint16_t* memory) const;

private:
    bool isDrawable(std::uint32_t face) const noexcept;
    void writeFace(std::uint32_t face, std::uint16_t* at) const noexcept;
    std::vector<float> smoothNormals() const;

    const Mesh3DS& mesh;
    std::vector<Range> meshRanges;
    // The faces no group names, in file order.
    std::vector<std::uint32_t> ungrouped;
    std::uint32_t indices = 0;
};

} // namespace orvane::graphics3d
