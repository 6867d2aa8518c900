#include "orvane/graphics3d/mesh/VertexFormat.h"
#include "orvane/graphics3d/mesh/TypeCode.h"

#include <gtest/gtest.h>

namespace orvane::graphics3d {
namespace {

constexpr std::uint32_t FLOAT3 = 0x000C0324;
constexpr std::uint32_t FLOAT2 = 0x00080224;
constexpr std::uint32_t UBYTE4 = 0x00040411;
constexpr std::uint32_t POSITION = VertexFormat::ARRAY_POSITION;
constexpr std::uint32_t NORMAL = VertexFormat::ARRAY_NORMAL;
constexpr std::uint32_t COLOUR = VertexFormat::ARRAY_COLOUR;
constexpr std::uint32_t TEXCOORD0 = VertexFormat::ARRAY_TEXCOORD0;

// The sum of the sizes of the components in use, which the stride must always equal.
std::uint32_t sizeSum(const VertexFormat& format) {
    std::uint32_t sum = 0;
    for (std::uint32_t index = 0; index < format.componentCount(); ++index)
        sum += TypeCode::size(format.component(int(index)).type);
    return sum;
}

TEST(TypeCode, SplitsIntoKindCountAndSizeAndMapsKindsToOpenGLTypes) {
    EXPECT_EQ(TypeCode::kind(0x00401024), TypeCode::FLOAT);
    EXPECT_EQ(TypeCode::count(0x00401024), 16u);
    EXPECT_EQ(TypeCode::glCount(0x00401024), 0u) << "OpenGL sees only bits 8 to 11";
    EXPECT_EQ(TypeCode::size(0x00401024), 64u);
    EXPECT_EQ(TypeCode::make(TypeCode::DOUBLE, 3, 24), 0x00180328u);
    const std::pair<std::uint32_t, GLenum> kinds[] = {{0x01, GL_BYTE},
                                                      {0x02, GL_SHORT},
                                                      {0x04, GL_INT},
                                                      {0x11, GL_UNSIGNED_BYTE},
                                                      {0x12, GL_UNSIGNED_SHORT},
                                                      {0x14, GL_UNSIGNED_INT},
                                                      {0x24, GL_FLOAT},
                                                      {0x28, GL_DOUBLE},
                                                      {0x08, 0},
                                                      {0x00, 0}};
    for (auto [kind, glType] : kinds)
        EXPECT_EQ(TypeCode::glType(TypeCode::make(kind, 1, 4)), glType) << kind;
}

TEST(VertexFormat, HoldsSixteenComponentsAndRefusesTheSeventeenthUnchanged) {
    VertexFormat format;
    EXPECT_EQ(format.stride(), 0u);
    EXPECT_EQ(format.componentCount(), 0u);
    std::uint32_t expectedStride = 0;
    for (int index = 0; index < 16; ++index) {
        const std::uint32_t type = index % 2 ? FLOAT3 : UBYTE4;
        EXPECT_EQ(format.addComponent(type, 1u << index), index);
        EXPECT_EQ(format.componentOffset(index), expectedStride);
        expectedStride += TypeCode::size(type);
    }
    const VertexFormat full = format;
    EXPECT_EQ(format.addComponent(FLOAT3, POSITION), -1);
    EXPECT_EQ(format.stride(), expectedStride);
    EXPECT_EQ(format.componentCount(), 16u);
    EXPECT_EQ(format, full);
}

TEST(VertexFormat, SetComponentLaysOutTheTranslatorsVertices) {
    VertexFormat format;
    format.setComponent(0, FLOAT3, POSITION);
    format.setComponent(1, FLOAT3, NORMAL);
    EXPECT_EQ(format.stride(), 24u) << "untextured";
    format.setComponent(2, FLOAT2, 0xFF000);
    EXPECT_EQ(format.componentCount(), 3u);
    EXPECT_EQ(format.componentOffset(0), 0u);
    EXPECT_EQ(format.componentOffset(1), 12u);
    EXPECT_EQ(format.componentOffset(2), 24u);
    EXPECT_EQ(format.stride(), 32u);

    // Replacing a component moves those after it by the change of size.
    format.setComponent(0, 0x00100424, POSITION);
    EXPECT_EQ(format.componentOffset(1), 16u);
    EXPECT_EQ(format.componentOffset(2), 28u);
    EXPECT_EQ(format.stride(), 36u);

    // Setting beyond the last entry counts in the entries up to it at the current stride.
    format.setComponent(5, UBYTE4, COLOUR);
    EXPECT_EQ(format.componentCount(), 6u);
    EXPECT_EQ(format.componentOffset(3), 36u);
    EXPECT_EQ(format.componentOffset(5), 36u);
    EXPECT_EQ(format.stride(), 40u);

    const VertexFormat before = format;
    format.setComponent(16, FLOAT3, NORMAL);
    format.setComponent(-1, FLOAT3, NORMAL);
    format.removeComponent(16);
    EXPECT_EQ(format, before) << "indices outside 0..15 change nothing";
    EXPECT_EQ(format.stride(), before.stride());
}

TEST(VertexFormat, RemovingLeavesAHoleThatTheNextAdditionFills) {
    VertexFormat format;
    format.addComponent(FLOAT3, POSITION);
    format.addComponent(FLOAT3, NORMAL);
    format.removeComponent(0);
    EXPECT_EQ(format.componentCount(), 2u);
    EXPECT_EQ(format.component(1).mask, NORMAL) << "the normal keeps its index";
    EXPECT_EQ(format.componentOffset(1), 0u);
    EXPECT_EQ(format.stride(), 12u);

    EXPECT_EQ(format.addComponent(FLOAT2, TEXCOORD0), 0);
    EXPECT_EQ(format.componentOffset(0), 0u);
    EXPECT_EQ(format.componentOffset(1), 8u);
    EXPECT_EQ(format.stride(), 20u);

    // A hole in the middle is filled after its predecessor.
    format.addComponent(UBYTE4, COLOUR);
    format.removeComponent(1);
    EXPECT_EQ(format.componentOffset(2), 8u);
    EXPECT_EQ(format.addComponent(FLOAT3, NORMAL), 1);
    EXPECT_EQ(format.componentOffset(1), 8u);
    EXPECT_EQ(format.componentOffset(2), 20u);
    EXPECT_EQ(format.stride(), 24u);
}

TEST(VertexFormat, AStrideAlwaysSumsTheComponentsEvenWhenAHoleKeptItsType) {
    // An entry with a type and no mask counts as a hole for additions; its size must leave
    // the vertex when the entry is reused, or the stride would outgrow the components.
    VertexFormat format;
    format.setComponent(0, FLOAT3, 0);
    format.setComponent(1, FLOAT2, TEXCOORD0);
    EXPECT_EQ(format.stride(), 20u);
    EXPECT_EQ(format.addComponent(UBYTE4, COLOUR), 0);
    EXPECT_EQ(format.stride(), sizeSum(format));
    EXPECT_EQ(format.stride(), 12u);
    EXPECT_EQ(format.componentOffset(1), 4u);
}

TEST(VertexFormat, CompactClosesHolesAndLeavesNothingBehind) {
    VertexFormat format;
    format.addComponent(FLOAT3, POSITION);
    format.addComponent(FLOAT3, NORMAL);
    format.addComponent(FLOAT2, TEXCOORD0);
    format.removeComponent(1);
    format.compact();
    EXPECT_EQ(format.componentCount(), 2u);
    EXPECT_EQ(format.component(1).mask, TEXCOORD0);
    EXPECT_EQ(format.componentOffset(1), 12u);
    EXPECT_EQ(format.stride(), 20u);
    EXPECT_EQ(format.component(2).mask, 0u) << "the vacated entry is empty";

    VertexFormat rebuilt;
    rebuilt.addComponent(FLOAT3, POSITION);
    rebuilt.addComponent(FLOAT2, TEXCOORD0);
    EXPECT_EQ(format, rebuilt);
    EXPECT_EQ(format.addComponent(UBYTE4, COLOUR), 2);
    EXPECT_EQ(format.componentOffset(2), 20u);

    // An entry with a mask but no type is a component, kept by compact.
    VertexFormat typeless;
    typeless.setComponent(1, 0, COLOUR);
    typeless.compact();
    EXPECT_EQ(typeless.componentCount(), 1u);
    EXPECT_EQ(typeless.component(0).mask, COLOUR);
}

TEST(VertexFormat, AppendAddsTheOtherFormatsComponentsInOrder) {
    VertexFormat format;
    format.addComponent(FLOAT3, POSITION);
    VertexFormat other;
    other.addComponent(FLOAT3, NORMAL);
    other.addComponent(UBYTE4, COLOUR);
    other.addComponent(FLOAT2, TEXCOORD0);
    other.removeComponent(1);
    format.append(other);
    EXPECT_EQ(format.componentCount(), 3u);
    EXPECT_EQ(format.component(2).mask, TEXCOORD0);
    EXPECT_EQ(format.componentOffset(2), 24u);
    EXPECT_EQ(format.stride(), 32u);

    format.append(format);
    EXPECT_EQ(format.componentCount(), 6u);
    EXPECT_EQ(format.stride(), 64u);
    EXPECT_EQ(format.component(5).mask, TEXCOORD0);
}

TEST(VertexFormat, EqualityLooksOnlyAtEntriesThatHaveAMask) {
    VertexFormat a;
    a.addComponent(FLOAT3, POSITION);
    VertexFormat b = a;
    b.setComponent(3, FLOAT3, 0); // a type without a mask: not compared
    EXPECT_NE(a.stride(), b.stride());
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a != b);

    VertexFormat otherType = a;
    otherType.setComponent(0, 0x00100424, POSITION);
    VertexFormat otherMask = a;
    otherMask.setComponent(0, FLOAT3, NORMAL);
    // Entry 0 has no mask on either side, entry 1 lies at 4 and at 12.
    VertexFormat near, far;
    near.setComponent(0, UBYTE4, 0);
    near.setComponent(1, UBYTE4, COLOUR);
    far.setComponent(0, FLOAT3, 0);
    far.setComponent(1, UBYTE4, COLOUR);
    EXPECT_NE(a, otherType);
    EXPECT_NE(a, otherMask);
    EXPECT_NE(near, far);
    EXPECT_EQ(a.getClassName(), "Object:VertexFormat");
}

} // namespace
} // namespace orvane::graphics3d
