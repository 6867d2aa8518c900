#include "orvane/graphics3d/gl/GLRecorder.h"
#include "orvane/graphics3d/mesh/IndexMesh.h"
#include "orvane/graphics3d/mesh/VertexMesh.h"
#include "orvane/graphics3d/state/Appearance.h"
#include "orvane/graphics3d/state/Context.h"
#include "orvane/graphics3d/state/Material.h"
#include "tests/graphics3d/RecordedContext.h"
#include "tests/support/MeshBuffers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace orvane::graphics3d {
namespace {

using object::Pointer;
using orvane::test::makeIndexBuffer;
using orvane::test::makePositionBuffer;
using test::Calls;

std::string hex(std::uintptr_t address) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%jx", std::uintmax_t(address));
    return text;
}

// A material that leaves one recognisable call when applied.
class MarkMaterial : public Material {
public:
    void apply() override { gl.glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 7); }
};

// A render context in front of a recorder that names every extension row (so buffer
// objects exist unless a test takes them away), and an appearance that marks the log.
class MeshTest : public test::RecordedContext {
protected:
    void SetUp() override {
        appearance->setMaterial(material.get());
        RecordedContext::SetUp();
    }

    Pointer<MarkMaterial> material = object::make<MarkMaterial>();
    Pointer<Appearance> appearance = object::make<Appearance>();
};

std::vector<float> points(int count) {
    std::vector<float> xyz;
    for (int index = 0; index < 3 * count; ++index)
        xyz.push_back(float(index));
    return xyz;
}

TEST_F(MeshTest, CountsStreamsUpToTheLastBufferAndTakesTheFewestVertices) {
    auto ten = makePositionBuffer(points(10), VertexBuffer::USAGE_STATIC);
    VertexFormat normals;
    normals.addComponent(0x000C0324, VertexFormat::ARRAY_NORMAL);
    std::vector<float> zero(24);
    auto eight =
        orvane::test::makeVertexBuffer(normals, zero.data(), 8, VertexBuffer::USAGE_STATIC);
    auto mesh = object::make<VertexMesh>();
    mesh->setVertexBuffer(ten.get(), 0);
    mesh->setVertexBuffer(eight.get(), 3);
    mesh->setVertexBuffer(eight.get(), 16); // no such stream
    EXPECT_EQ(mesh->getBufferCount(), 4u);
    EXPECT_EQ(mesh->getVertexCount(), 8u);
    EXPECT_EQ(mesh->getArrayMask(), VertexFormat::ARRAY_POSITION | VertexFormat::ARRAY_NORMAL);
    EXPECT_EQ(eight->getReferenceCount(), 2);

    recorder.clear();
    mesh->setEnd(8);
    mesh->draw();
    EXPECT_EQ(
        recorder.takeCalls(),
        (Calls{"glBindBufferARB(GL_ARRAY_BUFFER_ARB, 1)", "glVertexPointer(3, GL_FLOAT, 12, 0)",
               "glBindBufferARB(GL_ARRAY_BUFFER_ARB, 2)", "glNormalPointer(GL_FLOAT, 12, 0)",
               "glEnableClientState(GL_VERTEX_ARRAY)", "glEnableClientState(GL_NORMAL_ARRAY)",
               "glDrawArrays(GL_TRIANGLES, 0, 8)"}))
        << "streams 1 and 2 hold nothing and are skipped; with no shader current the mesh "
           "switches on the arrays its buffers feed";

    mesh->clearVertexBuffer(3);
    EXPECT_EQ(mesh->getBufferCount(), 1u);
    EXPECT_EQ(mesh->getVertexCount(), 10u);
    EXPECT_EQ(eight->getReferenceCount(), 1);
    mesh->clearVertexBuffers();
    EXPECT_EQ(mesh->getBufferCount(), 0u);
    EXPECT_EQ(mesh->getArrayMask(), 0u);
    EXPECT_EQ(mesh->getClassName(), "Object:Resource:Mesh:VertexMesh");
}

TEST_F(MeshTest, AVertexMeshDrawsPointersThenAppearanceThenItsVertexRange) {
    auto buffer = makePositionBuffer(points(12));
    auto mesh = object::make<VertexMesh>();
    mesh->setVertexBuffer(buffer.get(), 0);
    mesh->setAppearance(appearance.get());
    mesh->setMode(GL_TRIANGLE_STRIP);
    mesh->setFirst(3);
    mesh->setEnd(9);
    mesh->draw();
    EXPECT_EQ(
        recorder.takeCalls(),
        (Calls{"glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0)",
               "glVertexPointer(3, GL_FLOAT, 12, " + hex(buffer->base()) + ")",
               "glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 7)",
               "glEnableClientState(GL_VERTEX_ARRAY)", "glDrawArrays(GL_TRIANGLE_STRIP, 3, 6)"}))
        << "an appearance without shader: the mesh's own arrays";

    // The appearance is current now; ranges past the vertices are cut; an empty range
    // draws nothing.
    mesh->setEnd(40);
    mesh->draw();
    mesh->setEnd(3);
    mesh->draw();
    mesh->setFirst(5);
    mesh->draw();
    const Calls calls = recorder.takeCalls();
    ASSERT_EQ(calls.size(), 9u);
    EXPECT_EQ(calls[2], "glDrawArrays(GL_TRIANGLE_STRIP, 3, 9)");
    EXPECT_EQ(calls[5], "glDrawArrays(GL_TRIANGLE_STRIP, 3, 0)");
    EXPECT_EQ(calls[8], "glDrawArrays(GL_TRIANGLE_STRIP, 5, 0)") << "an inverted range";
}

TEST_F(MeshTest, AnIndexMeshBindsItsIndicesIntoTheContextBeforeTheAppearance) {
    auto vertices = makePositionBuffer(points(4), VertexBuffer::USAGE_STATIC);
    auto indices = makeIndexBuffer<std::uint16_t>(
        {0, 1, 2, 2, 1, 3, 0, 1, 3, 0, 2, 3, 1, 2, 3, 3, 2, 1}, IndexBuffer::USAGE_STATIC);
    auto mesh = object::make<IndexMesh>();
    mesh->setVertexBuffer(vertices.get(), 0);
    mesh->setIndexBuffer(indices.get());
    mesh->setAppearance(appearance.get());
    recorder.clear();
    mesh->draw();
    EXPECT_EQ(
        recorder.takeCalls(),
        (Calls{"glBindBufferARB(GL_ARRAY_BUFFER_ARB, 1)", "glVertexPointer(3, GL_FLOAT, 12, 0)",
               "glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 2)",
               "glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 7)",
               "glEnableClientState(GL_VERTEX_ARRAY)",
               "glDrawElements(GL_TRIANGLES, 18, GL_UNSIGNED_SHORT, 0)"}))
        << "range 0..0 draws the whole index buffer";
    EXPECT_EQ(context->indexPointer, 0u);
    EXPECT_EQ(context->indexType, GL_UNSIGNED_SHORT);
    EXPECT_EQ(context->indexSize, 2u);

    mesh->setFirst(6);
    mesh->setEnd(12);
    mesh->draw();
    EXPECT_EQ(recorder.takeCalls().back(),
              "glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, 0xc)");
    mesh->setEnd(30);
    mesh->draw();
    EXPECT_EQ(recorder.takeCalls().back(),
              "glDrawElements(GL_TRIANGLES, 12, GL_UNSIGNED_SHORT, 0xc)")
        << "cut at the end of the index buffer";
    mesh->setFirst(20);
    mesh->draw();
    EXPECT_EQ(recorder.takeCalls().back(), "glDrawElements(GL_TRIANGLES, 0, GL_UNSIGNED_SHORT, 0)");
    EXPECT_EQ(mesh->getClassName(), "Object:Resource:Mesh:VertexMesh:IndexMesh");
}

TEST_F(MeshTest, AnIndexMeshInOrdinaryMemoryPointsAtItsIndices) {
    auto vertices = makePositionBuffer(points(3));
    auto indices = makeIndexBuffer<std::uint32_t>({0, 1, 2, 2, 1, 0});
    auto mesh = object::make<IndexMesh>();
    mesh->setVertexBuffer(vertices.get(), 0);
    mesh->setIndexBuffer(indices.get());
    mesh->setFirst(3);
    mesh->setEnd(6);
    recorder.clear();
    mesh->draw();
    const std::uintptr_t base = indices->base();
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0)",
                     "glVertexPointer(3, GL_FLOAT, 12, " + hex(vertices->base()) + ")",
                     "glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0)",
                     "glEnableClientState(GL_VERTEX_ARRAY)",
                     "glDrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_INT, " + hex(base + 12) + ")"}));
    EXPECT_EQ(context->indexPointer, base);
    EXPECT_EQ(context->indexType, GL_UNSIGNED_INT);
    EXPECT_EQ(context->indexSize, 4u);

    // Without the buffer-object entry points nothing is bound at all.
    recorder.removeExtension("GL_ARB_vertex_buffer_object");
    mesh->draw();
    const Calls calls = recorder.takeCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].rfind("glVertexPointer", 0), 0u);
}

TEST_F(MeshTest, DrawsNothingWithoutAnIndexBufferOrARenderContext) {
    auto vertices = makePositionBuffer(points(3));
    auto mesh = object::make<IndexMesh>();
    mesh->setVertexBuffer(vertices.get(), 0);
    mesh->setAppearance(appearance.get());
    recorder.clear();
    mesh->draw();
    EXPECT_EQ(recorder.takeCalls(), Calls{});
    EXPECT_EQ(context->materialStack.material, nullptr);

    auto indices = makeIndexBuffer<std::uint8_t>({0, 1, 2});
    mesh->setIndexBuffer(indices.get());
    auto arrays = object::make<VertexMesh>();
    arrays->setVertexBuffer(vertices.get(), 0);
    context->retire();
    recorder.clear();
    mesh->draw();
    arrays->draw();
    EXPECT_EQ(recorder.takeCalls(), Calls{});
    context = Context::createForCurrent(); // for TearDown
    context->release();
}

} // namespace
} // namespace orvane::graphics3d
