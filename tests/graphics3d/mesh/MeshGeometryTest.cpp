#include "orvane/graphics3d/gl/GLRecorder.h"
#include "orvane/graphics3d/mesh/IndexMesh.h"
#include "orvane/graphics3d/mesh/TypeCode.h"
#include "orvane/graphics3d/mesh/VertexMesh.h"
#include "tests/graphics3d/RecordedContext.h"
#include "tests/support/MeshBuffers.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace orvane::graphics3d {
namespace {

using object::Pointer;
using orvane::test::makeIndexBuffer;
using orvane::test::makePositionBuffer;
using orvane::test::makeVertexBuffer;
using Triangles = std::vector<std::array<std::uint32_t, 3>>;
using Point = math::Vector<float, 3>;

Triangles trianglesOf(const geometry::TriangleMesh3<float>& mesh) {
    Triangles triangles;
    for (std::uint32_t t = 0; t < mesh.triangleCount(); ++t)
        triangles.push_back({mesh.triangle(t)[0], mesh.triangle(t)[1], mesh.triangle(t)[2]});
    return triangles;
}

// The exported mesh, held for the test.
Pointer<geometry::TriangleMesh3<float>> exported(Mesh& mesh) {
    return Pointer<geometry::TriangleMesh3<float>>::adopt(mesh.createTriangleMesh());
}

std::vector<float> line(int count) {
    std::vector<float> xyz;
    for (int index = 0; index < count; ++index)
        xyz.insert(xyz.end(), {float(index), float(-index), 0.5f});
    return xyz;
}

// Vertices of two interleaved components: a colour, then positions of `Scalar`s with the
// type code given, so that positions sit at offset 4 inside the vertex.
template <class Scalar, std::size_t N>
Pointer<VertexBuffer> typedPositions(std::uint32_t type,
                                     const std::vector<std::array<Scalar, N>>& points) {
    VertexFormat format;
    format.addComponent(0x00040411, VertexFormat::ARRAY_COLOUR);
    format.addComponent(type, VertexFormat::ARRAY_POSITION);
    std::vector<std::uint8_t> bytes(points.size() * format.stride(), 0xEE);
    for (std::size_t index = 0; index < points.size(); ++index)
        std::memcpy(&bytes[index * format.stride() + 4], points[index].data(), sizeof(Scalar) * N);
    return makeVertexBuffer(format, bytes.data(), std::uint32_t(points.size()),
                            VertexBuffer::USAGE_CLIENT);
}

template <class Scalar, std::size_t N>
void expectBox(std::uint32_t type, const std::vector<std::array<Scalar, N>>& points, Point low,
               Point high) {
    auto mesh = object::make<IndexMesh>();
    mesh->setVertexBuffer(typedPositions(type, points).get(), 0);
    BoundingVolume volume;
    ASSERT_TRUE(mesh->getBounds(volume)) << std::hex << type;
    EXPECT_EQ(volume.kind, BoundingVolume::BOX);
    EXPECT_EQ(volume.minimum, low) << std::hex << type;
    EXPECT_EQ(volume.maximum, high) << std::hex << type;
}

TEST(MeshBounds, AcceptsThreeOrFourBytesIntegersFloatsOrDoublesAndIgnoresTheFourth) {
    using B = std::array<std::int8_t, 4>;
    expectBox<std::int8_t, 3>(0x00030301, {{-3, 4, 5}, {7, -8, 5}, {1, 1, 1}}, {{-3, -8, 1}},
                              {{7, 4, 5}});
    expectBox<std::int8_t, 4>(0x00040401, {B{1, 2, 3, -100}, B{-1, 5, 3, 100}}, {{-1, 2, 3}},
                              {{1, 5, 3}});
    expectBox<std::int32_t, 3>(0x000C0304, {{100000, -5, 0}, {-7, 5, 2}}, {{-7, -5, 0}},
                               {{100000, 5, 2}});
    expectBox<std::int32_t, 4>(0x00100404, {{1, 1, 1, 9}, {2, 2, 2, -9}}, {{1, 1, 1}}, {{2, 2, 2}});
    expectBox<float, 3>(0x000C0324, {{0.5f, 1, 2}, {-0.5f, 3, -2}}, {{-0.5f, 1, -2}},
                        {{0.5f, 3, 2}});
    // A single vertex: minimum equals maximum.
    expectBox<float, 4>(0x00100424, {{1, 2, 3, 1}}, {{1, 2, 3}}, {{1, 2, 3}});
    expectBox<double, 3>(0x00180328, {{1e10, 0, 0}, {-1e10, 1, 0}}, {{-1e10f, 0, 0}},
                         {{1e10f, 1, 0}});
    expectBox<double, 4>(0x00200428, {{3, 2, 1, 0}, {1, 2, 3, 0}}, {{1, 2, 1}}, {{3, 2, 3}});
}

TEST(MeshBounds, RefusesOtherPositionTypesButExportsThemAsFloats) {
    auto mesh = object::make<VertexMesh>();
    mesh->setVertexBuffer(
        typedPositions<std::uint16_t, 3>(0x00060312, {{1, 2, 3}, {65535, 0, 7}}).get(), 0);
    BoundingVolume volume;
    EXPECT_FALSE(mesh->getBounds(volume));
    EXPECT_TRUE(volume.isEmpty());
    auto triangles = exported(*mesh);
    ASSERT_TRUE(triangles);
    ASSERT_EQ(triangles->vertexCount(), 2u);
    EXPECT_EQ(triangles->vertex(1), (Point{{65535, 0, 7}}));

    // Two signed shorts: z is 0.
    mesh->setVertexBuffer(typedPositions<std::int16_t, 2>(0x00040202, {{-2, 9}}).get(), 0);
    EXPECT_FALSE(mesh->getBounds(volume));
    triangles = exported(*mesh);
    EXPECT_EQ(triangles->vertex(0), (Point{{-2, 9, 0}}));
    // One unsigned int, one double.
    mesh->setVertexBuffer(typedPositions<std::uint32_t, 1>(0x00040114, {{4000000000u}}).get(), 0);
    EXPECT_EQ(exported(*mesh)->vertex(0), (Point{{4e9f, 0, 0}}));
    mesh->setVertexBuffer(typedPositions<double, 1>(0x00080128, {{-0.25}}).get(), 0);
    EXPECT_EQ(exported(*mesh)->vertex(0), (Point{{-0.25f, 0, 0}}));
}

TEST(MeshBounds, NeverReadsOutsideTheBuffer) {
    auto mesh = object::make<VertexMesh>();
    BoundingVolume volume;
    EXPECT_FALSE(mesh->getBounds(volume)) << "no buffer";
    EXPECT_EQ(mesh->createTriangleMesh(), nullptr);

    // Buffers without positions.
    VertexFormat normals;
    normals.addComponent(0x000C0324, VertexFormat::ARRAY_NORMAL);
    normals.setComponent(1, 0, VertexFormat::ARRAY_POSITION); // a position mask, no type
    std::vector<float> zero(6);
    mesh->setVertexBuffer(makeVertexBuffer(normals, zero.data(), 2, 4).get(), 0);
    EXPECT_FALSE(mesh->getBounds(volume));
    EXPECT_EQ(mesh->createTriangleMesh(), nullptr);

    // A code that claims three doubles in four bytes: reading them would leave the vertex
    // (and, at the last vertex, the buffer).
    VertexFormat lying;
    lying.addComponent(0x00040328, VertexFormat::ARRAY_POSITION);
    mesh->setVertexBuffer(makeVertexBuffer(lying, zero.data(), 3, 4).get(), 0);
    EXPECT_EQ(mesh->createTriangleMesh(), nullptr);
    // A kind outside the eight.
    VertexFormat unknown;
    unknown.addComponent(0x000C0333, VertexFormat::ARRAY_POSITION);
    mesh->setVertexBuffer(makeVertexBuffer(unknown, zero.data(), 2, 4).get(), 0);
    EXPECT_EQ(mesh->createTriangleMesh(), nullptr);

    // A range past the vertices is cut at the buffer's end.
    mesh->setVertexBuffer(makePositionBuffer(line(4)).get(), 0);
    mesh->setFirst(2);
    mesh->setEnd(100);
    ASSERT_TRUE(mesh->getBounds(volume));
    EXPECT_EQ(volume.minimum, (Point{{2, -3, 0.5f}}));
    EXPECT_EQ(exported(*mesh)->vertexCount(), 2u);
    mesh->setFirst(50);
    EXPECT_FALSE(mesh->getBounds(volume)) << "no vertex in the range";
    EXPECT_EQ(exported(*mesh)->vertexCount(), 0u);
}

class MeshBuffersInOpenGL : public test::RecordedContext {};

TEST_F(MeshBuffersInOpenGL, FailToBeReadAndAreUnlockedWhenTheDriverRefusesTheMapping) {
    auto positions = makePositionBuffer(line(3), VertexBuffer::USAGE_STATIC);
    auto indices = makeIndexBuffer<std::uint16_t>({0, 1, 2}, IndexBuffer::USAGE_STATIC);
    auto mesh = object::make<IndexMesh>();
    mesh->setVertexBuffer(positions.get(), 0);
    mesh->setIndexBuffer(indices.get());
    BoundingVolume volume;
    ASSERT_TRUE(mesh->getBounds(volume));
    EXPECT_EQ(volume.maximum, (Point{{2, 0, 0.5f}}));
    auto triangles = exported(*mesh);
    ASSERT_TRUE(triangles);
    EXPECT_EQ(trianglesOf(*triangles), (Triangles{{0, 1, 2}}));
    EXPECT_FALSE(positions->isLocked());
    EXPECT_FALSE(indices->isLocked());

    recorder.refuseMapping(true);
    EXPECT_FALSE(mesh->getBounds(volume));
    EXPECT_EQ(mesh->createTriangleMesh(), nullptr);
    EXPECT_FALSE(positions->isLocked());

    // Positions readable, indices not: no mesh, and both buffers unlocked.
    auto clientPositions = makePositionBuffer(line(3));
    mesh->setVertexBuffer(clientPositions.get(), 0);
    EXPECT_EQ(mesh->createTriangleMesh(), nullptr);
    EXPECT_FALSE(clientPositions->isLocked());
    EXPECT_FALSE(indices->isLocked());

    mesh->setIndexBuffer(nullptr);
    EXPECT_EQ(mesh->createTriangleMesh(), nullptr) << "no index buffer, no triangles";
    EXPECT_TRUE(mesh->getBounds(volume)) << "bounds need only the vertices";
}

TEST(MeshTriangles, ExpandsVertexListsStripsAndFans) {
    auto mesh = object::make<VertexMesh>();
    mesh->setVertexBuffer(makePositionBuffer(line(14)).get(), 0);
    auto triangles = exported(*mesh);
    EXPECT_EQ(triangles->vertexCount(), 14u);
    EXPECT_EQ(triangles->triangleCount(), 4u) << "the last two vertices make no triangle";
    EXPECT_EQ(trianglesOf(*triangles)[3], (std::array<std::uint32_t, 3>{9, 10, 11}));

    mesh->setFirst(2);
    mesh->setEnd(7);
    mesh->setMode(GL_TRIANGLE_STRIP);
    triangles = exported(*mesh);
    EXPECT_EQ(triangles->vertex(0), (Point{{2, -2, 0.5f}})) << "the range's vertices only";
    EXPECT_EQ(trianglesOf(*triangles), (Triangles{{0, 1, 2}, {2, 1, 3}, {2, 3, 4}}));
    mesh->setMode(GL_TRIANGLE_FAN);
    EXPECT_EQ(trianglesOf(*exported(*mesh)), (Triangles{{0, 1, 2}, {0, 2, 3}, {0, 3, 4}}));
    mesh->setMode(GL_LINES);
    triangles = exported(*mesh);
    EXPECT_EQ(triangles->vertexCount(), 5u);
    EXPECT_EQ(triangles->triangleCount(), 0u);
}

TEST(MeshTriangles, ExpandsIndexedListsStripsAndFansDroppingDegenerateStripTriangles) {
    auto mesh = object::make<IndexMesh>();
    mesh->setVertexBuffer(makePositionBuffer(line(6)).get(), 0);
    mesh->setIndexBuffer(makeIndexBuffer<std::uint8_t>({0, 1, 2, 2, 3, 4, 5}).get());
    mesh->setFirst(0);
    mesh->setEnd(6);
    mesh->setMode(GL_TRIANGLE_STRIP);
    auto triangles = exported(*mesh);
    EXPECT_EQ(triangles->vertexCount(), 6u) << "every vertex of the buffer";
    EXPECT_EQ(trianglesOf(*triangles), (Triangles{{0, 1, 2}, {3, 2, 4}}));

    mesh->setMode(GL_TRIANGLE_FAN);
    mesh->setEnd(0);
    EXPECT_EQ(trianglesOf(*exported(*mesh)),
              (Triangles{{0, 1, 2}, {0, 2, 2}, {0, 2, 3}, {0, 3, 4}, {0, 4, 5}}))
        << "fans keep repeated indices";
    mesh->setMode(GL_TRIANGLES);
    mesh->setFirst(1);
    mesh->setEnd(7);
    EXPECT_EQ(trianglesOf(*exported(*mesh)), (Triangles{{1, 2, 2}, {3, 4, 5}}));
}

TEST(MeshTriangles, IndexedAndPlainStripsOverTheSameVerticesAgree) {
    auto positions = makePositionBuffer(line(6));
    auto plain = object::make<VertexMesh>();
    plain->setVertexBuffer(positions.get(), 0);
    plain->setMode(GL_TRIANGLE_STRIP);
    auto indexed = object::make<IndexMesh>();
    indexed->setVertexBuffer(positions.get(), 0);
    indexed->setIndexBuffer(makeIndexBuffer<std::uint32_t>({0, 1, 2, 3, 4, 5}).get());
    indexed->setMode(GL_TRIANGLE_STRIP);
    const Triangles expected{{0, 1, 2}, {2, 1, 3}, {2, 3, 4}, {4, 3, 5}};
    EXPECT_EQ(trianglesOf(*exported(*indexed)), expected);
    EXPECT_EQ(trianglesOf(*exported(*plain)), expected)
        << "both wind their triangles the way OpenGL draws the strip";
}

TEST(MeshTriangles, LeavesOutTrianglesNamingVerticesTheBufferLacks) {
    auto mesh = object::make<IndexMesh>();
    mesh->setVertexBuffer(makePositionBuffer(line(4)).get(), 0);
    mesh->setIndexBuffer(makeIndexBuffer<std::uint16_t>({0, 1, 2, 1, 4, 3, 3, 2, 1}).get());
    EXPECT_EQ(trianglesOf(*exported(*mesh)), (Triangles{{0, 1, 2}, {3, 2, 1}}));
    mesh->setMode(GL_TRIANGLE_STRIP);
    mesh->setIndexBuffer(makeIndexBuffer<std::uint16_t>({0, 1, 60000, 2, 3, 1}).get());
    EXPECT_EQ(trianglesOf(*exported(*mesh)), (Triangles{{3, 2, 1}}))
        << "the three triangles naming vertex 60000 are left out, the strip goes on";
    mesh->setMode(GL_TRIANGLE_FAN);
    mesh->setIndexBuffer(makeIndexBuffer<std::uint16_t>({9}).get());
    EXPECT_EQ(exported(*mesh)->triangleCount(), 0u);
    mesh->setFirst(5);
    mesh->setEnd(8);
    EXPECT_EQ(exported(*mesh)->triangleCount(), 0u) << "an index range past the buffer";
}

} // namespace
} // namespace orvane::graphics3d
