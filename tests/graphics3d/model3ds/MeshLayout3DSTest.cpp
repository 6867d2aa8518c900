#include "orvane/graphics3d/model3ds/MeshLayout3DS.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace orvane::graphics3d {
namespace {

using Vector = std::array<float, 3>;

Mesh3DS meshOf(const std::vector<float>& positions,
               const std::vector<std::array<std::uint16_t, 3>>& faces) {
    Mesh3DS mesh;
    mesh.positions = positions;
    mesh.vertexCount = std::uint32_t(positions.size() / 3);
    for (const auto& face : faces)
        mesh.faces.insert(mesh.faces.end(), {face[0], face[1], face[2], 0});
    mesh.faceCount = std::uint32_t(faces.size());
    return mesh;
}

struct Vertex {
    Vector position;
    Vector normal;
    float u = -1, v = -1;
};

std::vector<Vertex> verticesOf(const MeshLayout3DS& layout) {
    std::vector<std::uint8_t> memory(layout.vertexCount() * layout.vertexStride());
    layout.writeVertices(memory.data());
    std::vector<Vertex> vertices(layout.vertexCount());
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const std::uint8_t* at = &memory[i * layout.vertexStride()];
        std::memcpy(vertices[i].position.data(), at + MeshLayout3DS::POSITION_OFFSET, 12);
        std::memcpy(vertices[i].normal.data(), at + MeshLayout3DS::NORMAL_OFFSET, 12);
        if (layout.hasTexCoords()) {
            std::memcpy(&vertices[i].u, at + MeshLayout3DS::TEXCOORD_OFFSET, 4);
            std::memcpy(&vertices[i].v, at + MeshLayout3DS::TEXCOORD_OFFSET + 4, 4);
        }
    }
    return vertices;
}

std::vector<std::uint16_t> indicesOf(const MeshLayout3DS& layout) {
    std::vector<std::uint16_t> indices(layout.indexCount(), 0xEEEE);
    layout.writeIndices(indices.data());
    return indices;
}

Vector unit(Vector v) {
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return {v[0] / length, v[1] / length, v[2] / length};
}

void expectNear(const Vector& actual, const Vector& expected) {
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-6f) << "component " << i;
}

TEST(MeshLayout3DSVertices, PositionsAsReadCoordinatesFlippedAndSizeByCoordinates) {
    Mesh3DS mesh = meshOf({1, 2, 3, 4, 5, 6, 7, 8, 10}, {{0, 1, 2}});
    EXPECT_EQ(MeshLayout3DS(mesh).vertexStride(), 24u);

    mesh.hasTexCoords = true;
    mesh.texCoords = {0.25f, 0.1f, 1, 0, 0, 1, 9, 9}; // one pair more than the vertices
    const MeshLayout3DS layout(mesh);
    EXPECT_EQ(layout.vertexStride(), 32u);
    const std::vector<Vertex> vertices = verticesOf(layout);
    ASSERT_EQ(vertices.size(), 3u);
    EXPECT_EQ(vertices[2].position, (Vector{7, 8, 10}));
    EXPECT_EQ(vertices[0].u, 0.25f);
    EXPECT_EQ(vertices[0].v, 1.0f - 0.1f);
    EXPECT_EQ(vertices[1].v, 1.0f);
    EXPECT_EQ(vertices[2].v, 0.0f);
}

// Two faces meet at vertex 0: a large one facing +z and a small one facing +x. The sum of
// the unnormalised face normals leans toward the larger face.
TEST(MeshLayout3DSVertices, NormalsAreAreaWeightedSumsScaledToUnitLength) {
    const Mesh3DS mesh =
        meshOf({0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0, 1, 0, 1, 0}, {{0, 1, 2}, {0, 4, 3}});
    const std::vector<Vertex> vertices = verticesOf(MeshLayout3DS(mesh));
    expectNear(vertices[0].normal, unit({1, 0, 16}));
    expectNear(vertices[1].normal, {0, 0, 1});
    expectNear(vertices[3].normal, {1, 0, 0});
    // The winding decides the side: the same triangle wound the other way faces -z.
    const std::vector<Vertex> flipped =
        verticesOf(MeshLayout3DS(meshOf({0, 0, 0, 4, 0, 0, 0, 4, 0}, {{0, 2, 1}})));
    expectNear(flipped[0].normal, {0, 0, -1});
}

TEST(MeshLayout3DSVertices, ZeroSumsAndOutOfRangeFacesGiveTheDefinedNormal) {
    // Vertex 3 is used by no face; vertices 4 to 6 only by a face without area; the last
    // face names vertex 9 of 7 and must neither count nor be read.
    const Mesh3DS mesh = meshOf({0, 0, 0, 1, 0, 0, 0, 1, 0, 5, 5, 5, 0, 0, 0, 1, 1, 1, 2, 2, 2},
                                {{0, 1, 2}, {4, 5, 6}, {0, 2, 9}, {1, 0, 2}});
    const std::vector<Vertex> vertices = verticesOf(MeshLayout3DS(mesh));
    const Vector fallback = {MeshLayout3DS::UNUSED_NORMAL[0], MeshLayout3DS::UNUSED_NORMAL[1],
                             MeshLayout3DS::UNUSED_NORMAL[2]};
    for (int v : {3, 4, 5, 6})
        EXPECT_EQ(vertices[v].normal, fallback) << "vertex " << v;
    // Faces 0 and 3 cancel at vertices 0, 1 and 2, which gives them the fallback too.
    EXPECT_EQ(vertices[0].normal, fallback);
    for (const Vertex& vertex : vertices)
        for (float c : vertex.normal)
            EXPECT_FALSE(std::isnan(c));

    // Non-finite positions give no NaN normal either.
    const Mesh3DS huge = meshOf({0, 0, 0, 3e38f, 0, 0, 0, 3e38f, 0}, {{0, 1, 2}});
    for (const Vertex& vertex : verticesOf(MeshLayout3DS(huge)))
        EXPECT_EQ(vertex.normal, fallback);
}

TEST(MeshLayout3DSIndices, OneRangePerGroupInFileOrder) {
    Mesh3DS mesh = meshOf({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0},
                          {{0, 1, 2}, {1, 3, 2}, {0, 2, 3}, {3, 2, 1}, {2, 1, 0}});
    mesh.faceMaterials.push_back({"A", 4, {4, 0, 1}});
    mesh.faceMaterials.push_back({"B", -1, {0, 1, 2, 3, 4}});
    const MeshLayout3DS layout(mesh);
    ASSERT_EQ(layout.ranges().size(), 2u);
    EXPECT_EQ(layout.ranges()[0].first, 0u);
    EXPECT_EQ(layout.ranges()[0].count, 9u);
    EXPECT_EQ(layout.ranges()[0].material, 4);
    EXPECT_EQ(layout.ranges()[1].first, 9u);
    EXPECT_EQ(layout.ranges()[1].count, 15u);
    EXPECT_EQ(layout.ranges()[1].material, -1);
    EXPECT_EQ(layout.indexCount(), 24u);
    const std::vector<std::uint16_t> indices = indicesOf(layout);
    EXPECT_EQ(std::vector<std::uint16_t>(indices.begin(), indices.begin() + 9),
              (std::vector<std::uint16_t>{2, 1, 0, 0, 1, 2, 1, 3, 2}));
    EXPECT_EQ(indices[9], 0u) << "a face named by two groups is drawn by both";
    EXPECT_EQ(indices[23], 0u);
}

TEST(MeshLayout3DSIndices, BadEntriesAndBadFacesAreDrawnAsNothing) {
    Mesh3DS mesh = meshOf({0, 0, 0, 1, 0, 0, 0, 1, 0}, {{0, 1, 2}, {2, 1, 7}, {1, 2, 0}});
    mesh.faceMaterials.push_back({"A", 0, {2, 3, 65535, 1, 0}});
    const std::vector<std::uint16_t> indices = indicesOf(MeshLayout3DS(mesh));
    EXPECT_EQ(indices, (std::vector<std::uint16_t>{1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2}))
        << "every face is named, so no range follows the group";
}

// Faces that the groups leave out are not lost: they follow the groups as one range
// without material, in file order.
TEST(MeshLayout3DSIndices, FacesTheGroupsLeaveOutFollowWithoutMaterial) {
    Mesh3DS mesh =
        meshOf({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}, {{0, 1, 2}, {1, 3, 2}, {0, 2, 3}, {3, 2, 1}});
    mesh.faceMaterials.push_back({"A", 2, {2, 0}});
    const MeshLayout3DS layout(mesh);
    ASSERT_EQ(layout.ranges().size(), 2u);
    EXPECT_EQ(layout.ranges()[1].first, 6u);
    EXPECT_EQ(layout.ranges()[1].count, 6u);
    EXPECT_EQ(layout.ranges()[1].material, -1);
    EXPECT_EQ(indicesOf(layout), (std::vector<std::uint16_t>{0, 2, 3, 0, 1, 2, 1, 3, 2, 3, 2, 1}));
}

// Files exported without materials have no groups at all; their faces are drawn, all of
// them in file order, without material.
TEST(MeshLayout3DSIndices, FacesNoGroupNamesBecomeOneRangeOverAllFaces) {
    const Mesh3DS mesh = meshOf({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}, {{0, 1, 2}, {2, 1, 3}});
    const MeshLayout3DS layout(mesh);
    ASSERT_EQ(layout.ranges().size(), 1u);
    EXPECT_EQ(layout.ranges()[0].first, 0u);
    EXPECT_EQ(layout.ranges()[0].count, 6u);
    EXPECT_EQ(layout.ranges()[0].material, -1);
    EXPECT_EQ(indicesOf(layout), (std::vector<std::uint16_t>{0, 1, 2, 2, 1, 3}));
}

} // namespace
} // namespace orvane::graphics3d
