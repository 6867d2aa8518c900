#include "orvane/graphics3d/compile/MeshMerger.h"

#include "orvane/graphics3d/mesh/IndexMesh.h"
#include "orvane/graphics3d/mesh/VertexMesh.h"
#include "tests/graphics3d/RecordedContext.h"
#include "tests/support/MeshBuffers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace orvane::graphics3d {
namespace {

using object::Pointer;
using orvane::test::makeIndexBuffer;
using orvane::test::makePositionBuffer;
using orvane::test::makeVertexBuffer;
using Tuple = MeshMerger::BufferTuple;

// Positions whose x is the vertex number plus `base`.
std::vector<float> numbered(std::uint32_t count, float base = 0) {
    std::vector<float> xyz;
    for (std::uint32_t v = 0; v < count; ++v)
        xyz.insert(xyz.end(), {base + float(v), 0.5f, -1});
    return xyz;
}

template <class Index>
Pointer<IndexBuffer> indexList(std::uint32_t count, std::uint32_t modulo) {
    auto buffer = Pointer<IndexBuffer>::adopt(
        IndexBuffer::create(sizeof(Index), count, IndexBuffer::USAGE_CLIENT));
    auto* indices = static_cast<Index*>(buffer->lock(GL_WRITE_ONLY_ARB));
    for (std::uint32_t i = 0; i < count; ++i)
        indices[i] = Index((i * 7) % modulo);
    buffer->unlock();
    return buffer;
}

std::vector<std::uint32_t> readIndices(IndexBuffer& buffer) {
    std::vector<std::uint32_t> values;
    const auto* bytes = static_cast<const std::uint8_t*>(buffer.lock(GL_READ_ONLY_ARB));
    for (std::uint32_t i = 0; bytes && i < buffer.indexCount(); ++i) {
        std::uint32_t value = 0;
        std::memcpy(&value, bytes + std::size_t(i) * buffer.elementSize(), buffer.elementSize());
        values.push_back(value);
    }
    buffer.unlock();
    return values;
}

std::vector<std::uint8_t> readVertices(VertexBuffer& buffer) {
    const auto* bytes = static_cast<const std::uint8_t*>(buffer.lock(GL_READ_ONLY_ARB));
    std::vector<std::uint8_t> copy;
    if (bytes)
        copy.assign(bytes, bytes + std::size_t(buffer.vertexCount()) * buffer.stride());
    buffer.unlock();
    return copy;
}

float positionX(const std::vector<std::uint8_t>& vertices, std::uint32_t stride, std::uint32_t v) {
    float x;
    std::memcpy(&x, vertices.data() + std::size_t(v) * stride, sizeof x);
    return x;
}

Tuple tupleOf(std::initializer_list<VertexBuffer*> buffers) {
    Tuple tuple = MeshMerger::emptyTuple();
    std::uint32_t slot = 0;
    for (VertexBuffer* buffer : buffers)
        tuple[slot++] = buffer;
    return tuple;
}

using MeshMergerTest = test::RecordedContext;

TEST_F(MeshMergerTest, TwoIndexMeshesShareOneVertexBufferAndOneIndexBuffer) {
    auto verticesA = makePositionBuffer(numbered(100));
    auto verticesB = makePositionBuffer(numbered(50, 1000));
    auto indicesA = indexList<std::uint16_t>(300, 100);
    auto indicesB = indexList<std::uint16_t>(90, 50);
    auto meshA = object::make<IndexMesh>();
    meshA->setVertexBuffer(verticesA.get(), 0);
    meshA->setIndexBuffer(indicesA.get());
    auto meshB = object::make<IndexMesh>();
    meshB->setVertexBuffer(verticesB.get(), 3);
    meshB->setIndexBuffer(indicesB.get());
    meshB->setFirst(30);
    meshB->setEnd(60);

    MeshMerger merger;
    EXPECT_TRUE(merger.addMesh(meshA.get()));
    EXPECT_TRUE(merger.addMesh(meshB.get()));
    merger.merge();
    EXPECT_EQ(merger.vertexGroupCount(), 1u);
    EXPECT_EQ(merger.indexGroupCount(), 1u);

    const auto placeB =
        merger.lookupVertexBuffers(tupleOf({nullptr, nullptr, nullptr, verticesB.get()}));
    ASSERT_NE(placeB.buffer, nullptr);
    EXPECT_EQ(placeB.offset, 100u);
    EXPECT_EQ(placeB.count, 50u);
    VertexBuffer& merged = *placeB.buffer;
    EXPECT_EQ(merged.vertexCount(), 150u);
    EXPECT_NE(merged.bufferObject(), 0u) << "merged buffers are static buffer objects";
    const auto vertices = readVertices(merged);
    for (std::uint32_t v = 0; v < 150; ++v)
        ASSERT_EQ(positionX(vertices, 12, v), v < 100 ? float(v) : 1000.0f + float(v - 100)) << v;

    const auto indexPlace = merger.lookupIndexBuffer(indicesB.get());
    ASSERT_NE(indexPlace.buffer, nullptr);
    EXPECT_EQ(indexPlace.offset, 300u);
    EXPECT_EQ(indexPlace.count, 90u);
    EXPECT_EQ(indexPlace.vertexOffset, 100u);
    const auto merged16 = readIndices(*indexPlace.buffer);
    ASSERT_EQ(merged16.size(), 390u);
    const auto sourceA = readIndices(*indicesA), sourceB = readIndices(*indicesB);
    for (std::uint32_t i = 0; i < 390; ++i)
        ASSERT_EQ(merged16[i], i < 300 ? sourceA[i] : sourceB[i - 300] + 100) << i;

    // The meshes draw the same vertices from the merged buffers.
    EXPECT_EQ(meshA->vertexBuffer(0), &merged);
    EXPECT_EQ(meshB->vertexBuffer(0), &merged);
    EXPECT_EQ(meshB->vertexBuffer(3), nullptr);
    EXPECT_EQ(meshA->getIndexBuffer(), indexPlace.buffer);
    EXPECT_EQ(meshA->getFirst(), 0u) << "the whole buffer becomes its range";
    EXPECT_EQ(meshA->getEnd(), 300u);
    EXPECT_EQ(meshB->getFirst(), 330u);
    EXPECT_EQ(meshB->getEnd(), 360u);
    EXPECT_EQ(merger.getClassName(), "Object:MeshMerger");
}

TEST_F(MeshMergerTest, RegistersEachTupleAndIndexBufferOnceAndNothingEmpty) {
    auto a = makePositionBuffer(numbered(10));
    auto b = makePositionBuffer(numbered(20));
    auto empty = makePositionBuffer({});
    MeshMerger merger;
    EXPECT_EQ(merger.addVertexBuffer(a.get()), 0u);
    EXPECT_EQ(merger.addVertexBuffer(a.get()), 0u) << "known: the same offset, nothing reserved";
    EXPECT_EQ(merger.addVertexBuffer(b.get()), 10u);
    EXPECT_EQ(merger.addVertexBuffer(empty.get()), 0u);
    EXPECT_EQ(merger.addVertexBuffers(MeshMerger::emptyTuple()), 0u);

    auto indices = makeIndexBuffer<std::uint16_t>({0, 1, 2});
    auto noIndices = makeIndexBuffer<std::uint16_t>({});
    EXPECT_EQ(merger.addIndexBuffer(indices.get(), 10), 0u);
    EXPECT_EQ(merger.addIndexBuffer(indices.get(), 0), 0u);
    EXPECT_EQ(merger.addIndexBuffer(noIndices.get(), 0), 0u);
    EXPECT_EQ(merger.addIndexBuffer(static_cast<IndexBuffer*>(nullptr), 0), 0u);
    merger.merge();

    EXPECT_EQ(merger.lookupVertexBuffers(tupleOf({b.get()})).buffer->vertexCount(), 30u);
    const auto none = merger.lookupVertexBuffers(tupleOf({empty.get()}));
    EXPECT_EQ(none.buffer, nullptr);
    EXPECT_EQ(none.count, 0u);
    EXPECT_EQ(merger.lookupIndexBuffer(noIndices.get()).buffer, nullptr);
    const auto place = merger.lookupIndexBuffer(indices.get());
    EXPECT_EQ(place.vertexOffset, 10u) << "the first vertex offset stays";
    EXPECT_EQ(readIndices(*place.buffer), (std::vector<std::uint32_t>{10, 11, 12}));
}

TEST_F(MeshMergerTest, InterleavesATupleAndNeverReadsPastItsShorterBuffer) {
    VertexFormat colours;
    colours.addComponent(0x00040411, VertexFormat::ARRAY_COLOUR);
    const std::uint8_t rgba[] = {1, 2, 3, 4, 5, 6, 7, 8};
    auto positions = makePositionBuffer(numbered(3, 40));                         // three vertices
    auto colour = makeVertexBuffer(colours, rgba, 2, VertexBuffer::USAGE_CLIENT); // two

    MeshMerger merger;
    merger.addVertexBuffers(tupleOf({positions.get(), colour.get()}));
    merger.merge();
    const auto place = merger.lookupVertexBuffers(tupleOf({positions.get(), colour.get()}));
    ASSERT_NE(place.buffer, nullptr);
    EXPECT_EQ(place.count, 2u) << "what a mesh over both draws: the shorter buffer's vertices";
    VertexBuffer& merged = *place.buffer;
    EXPECT_EQ(merged.vertexCount(), 3u) << "room for the longer";
    EXPECT_EQ(merged.stride(), 16u);
    EXPECT_EQ(merged.arrayMask(), 0x11u);
    EXPECT_EQ(merged.format().componentOffset(1), 12u) << "position bytes first";
    const auto bytes = readVertices(merged);
    for (std::uint32_t v = 0; v < 3; ++v) {
        EXPECT_EQ(positionX(bytes, 16, v), 40.0f + float(v));
        for (std::uint32_t c = 0; c < 4; ++c)
            EXPECT_EQ(bytes[v * 16 + 12 + c], v < 2 ? rgba[v * 4 + c] : 0)
                << "vertex " << v << ": colours the shorter buffer has, zeros past it";
    }
}

TEST_F(MeshMergerTest, IndexWidthsStaySeparateAndWidenRatherThanWrap) {
    auto first = makePositionBuffer(numbered(300));
    auto second = makePositionBuffer(numbered(70000));
    auto third = makePositionBuffer(numbered(10));
    auto bytes = makeIndexBuffer<std::uint8_t>({0, 1, 2});
    auto shorts = makeIndexBuffer<std::uint16_t>({0, 299});
    auto shiftedBytes = makeIndexBuffer<std::uint8_t>({9, 0, 255});
    auto shiftedShorts = makeIndexBuffer<std::uint16_t>({1, 2});

    MeshMerger merger;
    merger.addIndexBuffer(first.get(), bytes.get());
    merger.addIndexBuffer(first.get(), shorts.get());
    // Vertices at 300 onwards: 255 + 300 does not fit a byte.
    merger.addIndexBuffer(second.get(), shiftedBytes.get());
    // Vertices at 70300 onwards: past 16 bits.
    merger.addIndexBuffer(third.get(), shiftedShorts.get());
    merger.merge();
    EXPECT_EQ(merger.indexGroupCount(), 3u) << "8, 16 and 32 bits";

    const auto byteGroup = merger.lookupIndexBuffer(bytes.get());
    EXPECT_EQ(byteGroup.buffer->elementSize(), 1u);
    EXPECT_EQ(readIndices(*byteGroup.buffer), (std::vector<std::uint32_t>{0, 1, 2}));

    const auto widened = merger.lookupIndexBuffer(shiftedBytes.get());
    EXPECT_EQ(widened.buffer, merger.lookupIndexBuffer(shorts.get()).buffer);
    EXPECT_EQ(widened.buffer->elementSize(), 2u);
    EXPECT_EQ(widened.offset, 2u);
    EXPECT_EQ(readIndices(*widened.buffer), (std::vector<std::uint32_t>{0, 299, 309, 300, 555}));

    const auto wide = merger.lookupIndexBuffer(shiftedShorts.get());
    EXPECT_EQ(wide.buffer->elementSize(), 4u);
    EXPECT_EQ(readIndices(*wide.buffer), (std::vector<std::uint32_t>{70301, 70302}));
}

// A mesh of a class of its own: the merger cannot take it apart.
class OtherMesh : public IndexMesh {};

TEST_F(MeshMergerTest, RewritesOnlyMeshesWhoseDataItCouldMove) {
    auto shared = makeIndexBuffer<std::uint16_t>({0, 1, 2});
    auto a = makePositionBuffer(numbered(3));
    auto b = makePositionBuffer(numbered(3, 7));
    auto first = object::make<IndexMesh>();
    first->setVertexBuffer(a.get(), 0);
    first->setIndexBuffer(shared.get());
    // The same indices over other vertices: shifted for the first mesh, they would name
    // the wrong vertices for this one.
    auto second = object::make<IndexMesh>();
    second->setVertexBuffer(b.get(), 0);
    second->setIndexBuffer(shared.get());
    auto arrays = object::make<VertexMesh>();
    arrays->setVertexBuffer(b.get(), 1);
    arrays->setFirst(1);
    arrays->setEnd(9);
    auto other = object::make<OtherMesh>();
    other->setVertexBuffer(a.get(), 0);

    MeshMerger merger;
    EXPECT_TRUE(merger.addMesh(first.get()));
    EXPECT_TRUE(merger.addMesh(second.get()));
    EXPECT_TRUE(merger.addMesh(arrays.get()));
    EXPECT_FALSE(merger.addMesh(other.get()));
    EXPECT_FALSE(merger.addMesh(nullptr));
    merger.merge();

    VertexBuffer* merged = first->vertexBuffer(0);
    EXPECT_NE(merged, a.get());
    EXPECT_NE(first->getIndexBuffer(), shared.get());
    EXPECT_EQ(second->vertexBuffer(0), b.get()) << "left with its own buffers";
    EXPECT_EQ(second->getIndexBuffer(), shared.get());
    EXPECT_EQ(arrays->vertexBuffer(0), merged);
    EXPECT_EQ(arrays->vertexBuffer(1), nullptr);
    EXPECT_EQ(arrays->getFirst(), 7u)
        << "1 .. 9 cut at its 3 vertices and moved to 6, after the other two tuples";
    EXPECT_EQ(arrays->getEnd(), 9u);
    EXPECT_EQ(other->vertexBuffer(0), a.get());
}

// Where two buffers of a tuple feed the same array, drawing them in stream order leaves
// the later one's pointer in place: the merged vertex keeps that one.
TEST_F(MeshMergerTest, TheLaterOfTwoBuffersFeedingOneArrayIsTheOneMerged) {
    VertexFormat positionColour;
    positionColour.addComponent(0x000C0324, VertexFormat::ARRAY_POSITION);
    positionColour.addComponent(0x00040411, VertexFormat::ARRAY_COLOUR);
    struct Vertex {
        float x, y, z;
        std::uint8_t rgba[4];
    };
    const Vertex earlier[] = {{1, 0, 0, {9, 9, 9, 9}}, {2, 0, 0, {8, 8, 8, 8}}};
    auto first = makeVertexBuffer(positionColour, earlier, 2, VertexBuffer::USAGE_CLIENT);
    auto second = makePositionBuffer(numbered(2, 50));

    MeshMerger merger;
    merger.addVertexBuffers(tupleOf({first.get(), second.get()}));
    merger.merge();
    const auto place = merger.lookupVertexBuffers(tupleOf({first.get(), second.get()}));
    ASSERT_NE(place.buffer, nullptr);
    EXPECT_EQ(place.buffer->format().componentCount(), 2u) << "one position, one colour";
    const auto bytes = readVertices(*place.buffer);
    const std::uint32_t stride = place.buffer->stride();
    const VertexFormat& format = place.buffer->format();
    std::uint32_t position = 0, colour = 0;
    for (std::uint32_t c = 0; c < format.componentCount(); ++c)
        (format.component(int(c)).mask == VertexFormat::ARRAY_POSITION ? position : colour) =
            format.componentOffset(int(c));
    for (std::uint32_t v = 0; v < 2; ++v) {
        float x;
        std::memcpy(&x, &bytes[v * stride + position], sizeof x);
        EXPECT_EQ(x, 50.0f + float(v)) << "the second buffer's positions";
        EXPECT_EQ(bytes[v * stride + colour], earlier[v].rgba[0]) << "the first buffer's colours";
    }
}

// Buffers that feed the same arrays twice over (22 components in all) merge into one
// vertex of the arrays drawn, every texture unit among them; a tuple whose arrays really
// need more than sixteen components keeps its own buffers rather than lose some.
TEST_F(MeshMergerTest, EveryArrayOfATupleIsMergedOrTheTupleKeepsItsBuffers) {
    const auto format = [](std::vector<std::uint32_t> masks) {
        VertexFormat made;
        for (std::uint32_t mask : masks)
            made.addComponent(mask == VertexFormat::ARRAY_POSITION ? 0x000C0324 : 0x00080224, mask);
        return made;
    };
    std::vector<std::uint32_t> units;
    for (std::uint32_t u = 0; u < 8; ++u)
        units.push_back(VertexFormat::ARRAY_TEXCOORD0 << u);
    std::vector<std::uint32_t> wide = {VertexFormat::ARRAY_POSITION, VertexFormat::ARRAY_NORMAL,
                                       VertexFormat::ARRAY_COLOUR};
    wide.insert(wide.end(), units.begin(), units.end());
    std::vector<std::uint32_t> again = units;
    again.insert(again.begin(), {VertexFormat::ARRAY_POSITION, VertexFormat::ARRAY_NORMAL,
                                 VertexFormat::ARRAY_COLOUR});
    const VertexFormat a = format(wide), b = format(again);
    std::vector<std::uint8_t> zeros(4 * std::max(a.stride(), b.stride()));
    auto first = makeVertexBuffer(a, zeros.data(), 4, VertexBuffer::USAGE_CLIENT);
    auto second = makeVertexBuffer(b, zeros.data(), 4, VertexBuffer::USAGE_CLIENT);

    // Seventeen arrays of their own (masks of bits no array of the engine's uses among
    // them) cannot be one format.
    std::vector<std::uint32_t> many;
    for (std::uint32_t bit = 0; bit < 17; ++bit)
        many.push_back(1u << bit);
    auto crowded =
        makeVertexBuffer(format(std::vector<std::uint32_t>(many.begin(), many.begin() + 9)),
                         zeros.data(), 1, VertexBuffer::USAGE_CLIENT);
    auto rest = makeVertexBuffer(format(std::vector<std::uint32_t>(many.begin() + 9, many.end())),
                                 zeros.data(), 1, VertexBuffer::USAGE_CLIENT);

    MeshMerger merger;
    merger.addVertexBuffers(tupleOf({first.get(), second.get()}));
    merger.addVertexBuffers(tupleOf({crowded.get(), rest.get()}));
    merger.merge();
    const auto doubled = merger.lookupVertexBuffers(tupleOf({first.get(), second.get()}));
    ASSERT_NE(doubled.buffer, nullptr);
    EXPECT_EQ(doubled.buffer->format().componentCount(), 11u);
    EXPECT_EQ(doubled.buffer->arrayMask(), first->arrayMask()) << "units 4 to 7 too";
    EXPECT_EQ(merger.lookupVertexBuffers(tupleOf({crowded.get(), rest.get()})).buffer, nullptr);
}

// A merged buffer the driver will not map cannot be filled: nobody is moved onto it.
TEST_F(MeshMergerTest, AMappingTheDriverRefusesLeavesEveryMeshOnItsOwnBuffers) {
    auto vertices = makePositionBuffer(numbered(3), VertexBuffer::USAGE_CLIENT);
    auto indices = makeIndexBuffer<std::uint16_t>({0, 1, 2});
    auto mesh = object::make<IndexMesh>();
    mesh->setVertexBuffer(vertices.get(), 0);
    mesh->setIndexBuffer(indices.get());
    MeshMerger merger;
    ASSERT_TRUE(merger.addMesh(mesh.get()));
    recorder.refuseMapping(true);
    merger.merge();
    recorder.refuseMapping(false);
    EXPECT_EQ(mesh->vertexBuffer(0), vertices.get());
    EXPECT_EQ(mesh->getIndexBuffer(), indices.get());
    EXPECT_EQ(merger.lookupVertexBuffers(tupleOf({vertices.get()})).buffer, nullptr);
    EXPECT_EQ(merger.lookupIndexBuffer(indices.get()).buffer, nullptr);
}

} // namespace
} // namespace orvane::graphics3d
