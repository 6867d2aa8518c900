#pragma once

#include "orvane/graphics3d/model3ds/Scene3DS.h"

#include <cstdint>
#include <vector>

namespace orvane::graphics3d {

// How a triangle mesh read from a 3DS file is laid out for drawing: the bytes of its
// vertex buffer and of its index buffer, and the index range of each mesh drawn from
// them. The model builder locks the buffers and lets this class fill them.
//
// Vertices are 24 bytes (position, normal: three floats each) or, when the mesh has
// texture coordinates, 32 bytes (then u and 1 - v: files put v = 0 at the bottom of a
// picture, textures keep row 0 on top). Positions are taken as read; the local axes are
// not applied.
//
// A mesh as the plainest files give it, without smoothing groups (4150) and whose
// materials place their texture maps as they are, keeps the file's vertices one for one.
// Its normals are smooth: the sum of the cross products of the edges of the faces around
// a vertex, so that larger faces weigh more, scaled to unit length. A vertex whose sum is
// zero (used by no face, or only by faces without area) gets UNUSED_NORMAL.
//
// With smoothing groups, two faces that share a vertex are smoothed together only when
// their masks share a bit, and a face of mask 0 is flat: each corner of a face gets the
// normal of the faces at its vertex that share a bit with it (area-weighted again), and a
// vertex is made once per distinct normal it takes. A material whose texture map is
// scaled, offset or turned gives its faces' corners their own vertices with the
// coordinates moved (TextureMapping3DS). Indices then name the vertices made, 16-bit
// while they fit and 32-bit once there are more than 65,535 vertices, so that every face
// still draws. At a vertex where more than MASKS_SMOOTHED_ACROSS different masks meet
// (no modelling program writes that), faces are smoothed only with faces of their own
// mask, which keeps the work proportional to the faces.
//
// A face with a vertex index not below the vertex count is left out of the normals and
// drawn as nothing: its three indices are written as 0, a triangle without area. A group
// entry not below the face count is drawn as nothing the same way.
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
    static constexpr std::uint32_t MASKS_SMOOTHED_ACROSS = 64;

    // One mesh to draw: indices first .. first + count of the index buffer.
    struct Range {
        std::uint32_t first;
        std::uint32_t count;
        int material; // index into Scene3DS::materials, or -1 for none
    };

    // The mesh must be buildable and outlive the layout; so must the materials, whose
    // texture-map placements move the coordinates (none: every map as it is).
    explicit MeshLayout3DS(const Mesh3DS& mesh,
                           const std::vector<Material3DS>* materials = nullptr);

    std::uint32_t vertexCount() const noexcept;
    std::uint32_t vertexStride() const noexcept { return mesh.hasTexCoords ? 32 : 24; }
    bool hasTexCoords() const noexcept { return mesh.hasTexCoords; }
    // Fills vertexCount() * vertexStride() bytes.
    void writeVertices(void* memory) const;

    const std::vector<Range>& ranges() const noexcept { return meshRanges; }
    std::uint32_t indexCount() const noexcept { return indices; }
    // Bytes per index: 2, or 4 when the vertices made do not fit 16 bits.
    std::uint32_t indexSize() const noexcept;
    // Fills indexCount() indices of indexSize() bytes.
    void writeIndices(void* memory) const;

private:
    // A vertex made for a split mesh: the file's vertex, its normal, and the placement of
    // its coordinates (an index into `mappings`).
    struct Made {
        std::uint32_t source;
        float normal[3];
        std::uint32_t mapping;
    };

    bool isDrawable(std::uint32_t face) const noexcept;
    void writeFace(std::uint32_t face, std::uint16_t* at) const noexcept;
    std::vector<float> smoothNormals() const;
    std::vector<float> faceNormals() const;
    // Each range's faces in drawing order, the ungrouped ones last.
    template <class Visit>
    void forEachDrawnFace(Visit visit) const;
    void split();

    const Mesh3DS& mesh;
    const std::vector<Material3DS>* materials;
    std::vector<Range> meshRanges;
    // The faces no group names, in file order.
    std::vector<std::uint32_t> ungrouped;
    std::uint32_t indices = 0;
    // Only for a split mesh: the vertices made and the indices naming them.
    bool splitting = false;
    std::vector<Made> made;
    std::vector<std::uint32_t> madeIndices;
    std::vector<TextureMapping3DS> mappings;
};

} // namespace orvane::graphics3d
