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

// ---- Smoothing groups and texture-map placement

// A unit cube of 8 corners and 12 faces, counter-clockwise from outside, two faces a side
// in the order -z, +z, -y, +y, -x, +x.
Mesh3DS cube() {
    const std::vector<float> corners = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0,
                                        0, 0, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1};
    return meshOf(corners, {{0, 2, 1},
                            {0, 3, 2},
                            {4, 5, 6},
                            {4, 6, 7},
                            {0, 1, 5},
                            {0, 5, 4},
                            {3, 7, 6},
                            {3, 6, 2},
                            {0, 4, 7},
                            {0, 7, 3},
                            {1, 2, 6},
                            {1, 6, 5}});
}

struct Drawn {
    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> indices;
    Vertex corner(std::size_t face, int k) const { return vertices[indices[3 * face + k]]; }
};

Drawn drawnOf(const MeshLayout3DS& layout) {
    Drawn drawn{verticesOf(layout), {}};
    std::vector<std::uint8_t> bytes(std::size_t(layout.indexCount()) * layout.indexSize());
    layout.writeIndices(bytes.data());
    for (std::uint32_t i = 0; i < layout.indexCount(); ++i) {
        std::uint32_t value = 0;
        std::memcpy(&value, &bytes[std::size_t(i) * layout.indexSize()], layout.indexSize());
        drawn.indices.push_back(value);
    }
    return drawn;
}

// Six groups, one a side: 24 vertices, each corner with its side's normal.
TEST(MeshLayout3DSSmoothing, ACubeOfSixGroupsHasFlatSidesOfTheirOwnVertices) {
    Mesh3DS mesh = cube();
    for (std::uint32_t side = 0; side < 6; ++side)
        mesh.smoothing.insert(mesh.smoothing.end(), {1u << side, 1u << side});
    const MeshLayout3DS layout(mesh);
    EXPECT_EQ(layout.vertexCount(), 24u);
    EXPECT_EQ(layout.indexSize(), 2u);
    const Drawn drawn = drawnOf(layout);
    const Vector axes[6] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};
    for (std::size_t face = 0; face < 12; ++face)
        for (int k = 0; k < 3; ++k) {
            expectNear(drawn.corner(face, k).normal, axes[face / 2]);
            const std::uint16_t source = mesh.faces[4 * face + std::size_t(k)];
            expectNear(drawn.corner(face, k).position,
                       {mesh.positions[3 * source], mesh.positions[3 * source + 1],
                        mesh.positions[3 * source + 2]});
        }

    // All in one group: every corner smooth across the three sides it touches.
    std::fill(mesh.smoothing.begin(), mesh.smoothing.end(), 1u);
    const MeshLayout3DS round(mesh);
    EXPECT_EQ(round.vertexCount(), 8u);
    const float third = 1.0f / std::sqrt(3.0f);
    expectNear(drawnOf(round).corner(0, 0).normal, {-third, -third, -third});
}

// A cylinder: the side is one group, the caps are two others; the rim vertices are made
// once for the side (radial normals) and once for each cap (axial). The side's quads are
// cut along alternating diagonals so that every rim vertex has as much face area on
// either side and the area-weighed sum is radial.
TEST(MeshLayout3DSSmoothing, ACylinderKeepsItsRimSharpAndItsSideRound) {
    constexpr int segments = 12;
    std::vector<float> positions;
    for (int ring = 0; ring < 2; ++ring)
        for (int i = 0; i < segments; ++i) {
            const double angle = 2 * 3.14159265358979 * i / segments;
            positions.insert(positions.end(),
                             {float(std::cos(angle)), float(std::sin(angle)), float(ring)});
        }
    positions.insert(positions.end(), {0, 0, 0, 0, 0, 1}); // the caps' centres
    std::vector<std::array<std::uint16_t, 3>> faces;
    std::vector<std::uint32_t> masks;
    for (int i = 0; i < segments; ++i) {
        const auto a = std::uint16_t(i), b = std::uint16_t((i + 1) % segments);
        const auto c = std::uint16_t(a + segments), d = std::uint16_t(b + segments);
        if (i % 2 == 0)
            faces.insert(faces.end(), {{a, b, d}, {a, d, c}});
        else
            faces.insert(faces.end(), {{a, b, c}, {b, d, c}});
        masks.insert(masks.end(), {1, 1});
        faces.push_back({std::uint16_t(2 * segments), b, a});
        masks.push_back(2);
        faces.push_back({std::uint16_t(2 * segments + 1), c, d});
        masks.push_back(4);
    }
    Mesh3DS mesh = meshOf(positions, faces);
    mesh.smoothing = masks;
    const MeshLayout3DS layout(mesh);
    EXPECT_EQ(layout.vertexCount(), std::uint32_t(4 * segments + 2));
    const Drawn drawn = drawnOf(layout);
    for (std::size_t face = 0; face < faces.size(); ++face)
        for (int k = 0; k < 3; ++k) {
            const Vertex v = drawn.corner(face, k);
            if (masks[face] == 2)
                expectNear(v.normal, {0, 0, -1});
            else if (masks[face] == 4)
                expectNear(v.normal, {0, 0, 1});
            else
                expectNear(v.normal, {v.position[0], v.position[1], 0});
        }
}

// Mask 0 is flat; a face in groups 1 and 2 smooths with faces of either, each of which
// smooths with it but not with the other.
TEST(MeshLayout3DSSmoothing, MaskZeroIsFlatAndSharedBitsDecideWhoSmoothsWithWhom) {
    // Three faces round vertex 0: one in the xy plane, one in xz, one in yz.
    Mesh3DS mesh = meshOf({0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1}, {{0, 1, 2}, {0, 3, 1}, {0, 2, 3}});
    const Vector xy{0, 0, 1}, xz{0, 1, 0}, yz{1, 0, 0};
    mesh.smoothing = {0, 0, 0};
    Drawn drawn = drawnOf(MeshLayout3DS(mesh));
    expectNear(drawn.corner(0, 0).normal, xy);
    expectNear(drawn.corner(1, 0).normal, xz);
    expectNear(drawn.corner(2, 0).normal, yz);

    mesh.smoothing = {1, 1 | 2, 2};
    drawn = drawnOf(MeshLayout3DS(mesh));
    expectNear(drawn.corner(0, 0).normal, unit({xy[0] + xz[0], xy[1] + xz[1], xy[2] + xz[2]}));
    expectNear(drawn.corner(1, 0).normal, unit({1, 1, 1}));
    expectNear(drawn.corner(2, 0).normal, unit({xz[0] + yz[0], xz[1] + yz[1], xz[2] + yz[2]}));
}

// Splitting may make more vertices than 16-bit indices can name: the indices widen and
// every face still draws its own corners.
TEST(MeshLayout3DSSmoothing, MoreThanSixteenBitsOfVerticesWidenTheIndices) {
    // A folded strip of 2 x 30,000 vertices, its 59,998 faces flat: each fold's vertices
    // meet two planes, so twice as many vertices are made.
    const int columns = 30000;
    std::vector<float> positions;
    for (int i = 0; i < columns; ++i)
        positions.insert(positions.end(), {float(i), 0, float(i % 2), float(i), 1, float(i % 2)});
    std::vector<std::array<std::uint16_t, 3>> faces;
    for (int i = 0; i + 1 < columns; ++i) {
        const auto a = std::uint16_t(2 * i), b = std::uint16_t(2 * i + 1);
        faces.push_back({a, std::uint16_t(a + 2), b});
        faces.push_back({b, std::uint16_t(a + 2), std::uint16_t(b + 2)});
    }
    Mesh3DS mesh = meshOf(positions, faces);
    mesh.smoothing.assign(faces.size(), 0);
    const MeshLayout3DS layout(mesh);
    EXPECT_GT(layout.vertexCount(), 65535u);
    EXPECT_EQ(layout.indexSize(), 4u);
    const Drawn drawn = drawnOf(layout);
    for (std::size_t face = 0; face < faces.size(); face += 997)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(drawn.corner(face, k).position[0],
                      mesh.positions[3 * std::size_t(faces[face][std::size_t(k)])])
                << "face " << face;
    EXPECT_EQ(layout.indexCount(), 3 * faces.size());
}

// Without smoothing groups and placed maps the file's vertices stay one for one.
TEST(MeshLayout3DSSmoothing, AMeshWithoutGroupsOrPlacementsKeepsItsVertices) {
    const Mesh3DS mesh = cube();
    const MeshLayout3DS layout(mesh);
    EXPECT_EQ(layout.vertexCount(), 8u);
    EXPECT_EQ(indicesOf(layout).size(), 36u);
    EXPECT_EQ(indicesOf(layout)[0], 0u);
}

// A material's placement moves the coordinates of its faces' corners: scaled, offset,
// then turned about the map's centre; corners shared with unplaced faces are made twice.
TEST(MeshLayout3DSPlacement, CoordinatesAreScaledOffsetAndTurnedPerMaterial) {
    Mesh3DS mesh = meshOf({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}, {{0, 1, 2}, {0, 2, 3}});
    mesh.texCoords = {0, 0, 1, 0, 1, 1, 0, 1};
    mesh.hasTexCoords = true;
    mesh.faceMaterials.push_back({"Tiled", 0, {0}});
    mesh.faceMaterials.push_back({"Plain", 1, {1}});
    std::vector<Material3DS> materials(2);
    materials[0].textured = materials[1].textured = true;
    materials[0].mapping.uScale = 2;
    materials[0].mapping.vOffset = 0.5f;
    const MeshLayout3DS layout(mesh, &materials);
    EXPECT_EQ(layout.vertexCount(), 6u) << "corners 0 and 2 for each material";
    const Drawn drawn = drawnOf(layout);
    EXPECT_FLOAT_EQ(drawn.corner(0, 1).u, 2.0f) << "u of corner 1 scaled by 2";
    EXPECT_FLOAT_EQ(drawn.corner(0, 1).v, 1.0f - 0.5f) << "v moved up by 0.5, then flipped";
    EXPECT_FLOAT_EQ(drawn.corner(1, 1).u, 1.0f) << "the plain face's corner 2";
    EXPECT_FLOAT_EQ(drawn.corner(1, 1).v, 0.0f);

    TextureMapping3DS turned;
    turned.rotation = 90;
    float u = 1, v = 0.5f;
    turned.apply(u, v);
    EXPECT_NEAR(u, 0.5f, 1e-6f) << "a quarter turn about the centre";
    EXPECT_NEAR(v, 1.0f, 1e-6f);
}

} // namespace
} // namespace orvane::graphics3d
