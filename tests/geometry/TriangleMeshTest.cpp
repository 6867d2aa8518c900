#include "orvane/geometry/TriangleMesh3.h"

#include <gtest/gtest.h>

#include <new>

namespace orvane::geometry {
namespace {

TEST(TriangleMesh, SettingATriangleMakesItTheLastOne) {
    TriangleMesh3<float> mesh;
    EXPECT_EQ(mesh.vertexCount(), 0u);
    EXPECT_EQ(mesh.triangleCount(), 0u);
    for (std::uint32_t t = 0; t < 3; ++t)
        mesh.setTriangle(t, t, t + 1, t + 2);
    EXPECT_EQ(mesh.indexArray().count(), 9u);
    EXPECT_EQ(mesh.triangle(2)[2], 4u);
    mesh.addTriangle(7, 8, 9);
    mesh.addTriangle(1, 1, 1);
    EXPECT_EQ(mesh.triangleCount(), 5u);
    mesh.setTriangle(0, 5, 6, 7);
    EXPECT_EQ(mesh.triangleCount(), 1u);
    EXPECT_EQ(mesh.triangle(0)[0], 5u);
    EXPECT_GE(mesh.indexArray().capacity(), 15u) << "shrinking keeps the storage";
}

// A triangle number whose list length would wrap around 32 bits is refused before
// anything is stored, instead of writing past a short list.
TEST(TriangleMesh, ATriangleBeyondA32BitIndexListIsRefused) {
    TriangleMesh3<float> mesh;
    mesh.addTriangle(1, 2, 3);
    for (std::uint32_t t : {0x55555555u, 0x60000000u, 0xFFFFFFFFu})
        EXPECT_THROW(mesh.setTriangle(t, 4, 5, 6), std::bad_alloc) << t;
    EXPECT_EQ(mesh.triangleCount(), 1u);
    EXPECT_EQ(mesh.triangle(0)[2], 3u);
}

TEST(TriangleMesh, StoresPackedPointsOnlyBelowTheVertexCount) {
    TriangleMesh3<float> mesh;
    mesh.setVertexCount(2);
    EXPECT_TRUE(mesh.setVertex(1, {{1.0f, -2.0f, 3.5f}}));
    EXPECT_FALSE(mesh.setVertex(2, {{9.0f, 9.0f, 9.0f}}));
    EXPECT_EQ(mesh.vertex(1), (math::Vector<float, 3>{{1.0f, -2.0f, 3.5f}}));
    EXPECT_EQ(mesh.vertex(1).z(), 3.5f);
    static_assert(sizeof(math::Vector<float, 3>) == 12);
    EXPECT_EQ(reinterpret_cast<const float*>(mesh.vertexArray().data())[4], -2.0f);
    mesh.setVertexCount(0);
    EXPECT_EQ(mesh.vertexArray().capacity(), 0u) << "resizing to nothing frees the storage";
    EXPECT_EQ(mesh.getClassName(), "Object:TriangleMesh");
}

} // namespace
} // namespace orvane::geometry
