#include "orvane/graphics3d/mesh/VertexBuffer.h"
#include "orvane/graphics3d/gl/GLRecorder.h"
#include "orvane/graphics3d/mesh/IndexBuffer.h"
#include "orvane/object/Pointer.h"
#include "tests/graphics3d/RecordedContext.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace orvane::graphics3d {
namespace {

using object::Pointer;
using test::Calls;

// A render context in front of a recorder that has every extension row, so that buffers
// are made as buffer objects unless a test says otherwise.
class VertexBufferTest : public test::RecordedContext {};

constexpr std::uint32_t FLOAT3 = 0x000C0324;
constexpr std::uint32_t FLOAT2 = 0x00080224;

// How the recorder writes an address.
std::string hex(std::uintptr_t address) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%jx", std::uintmax_t(address));
    return text;
}

VertexFormat positionNormalFormat() {
    VertexFormat format;
    format.addComponent(FLOAT3, VertexFormat::ARRAY_POSITION);
    format.addComponent(FLOAT3, VertexFormat::ARRAY_NORMAL);
    return format;
}

// Every kind of array, the texture coordinates feeding all eight units from one component.
VertexFormat everyArrayFormat() {
    VertexFormat format;
    format.addComponent(FLOAT3, VertexFormat::ARRAY_POSITION);      // 0
    format.addComponent(0x00060302, VertexFormat::ARRAY_NORMAL);    // 12: three shorts
    format.addComponent(0x00040411, VertexFormat::ARRAY_COLOUR);    // 18: four unsigned bytes
    format.addComponent(0x00080224, VertexFormat::ARRAY_WEIGHT);    // 22: two floats
    format.addComponent(0x00040124, VertexFormat::ARRAY_FOG);       // 30: one float
    format.addComponent(0x00010111, VertexFormat::ARRAY_EDGE_FLAG); // 34
    format.addComponent(0x00100228, 0xFF000);                       // 35: two doubles
    return format;
}

TEST_F(VertexBufferTest, TakesItsSlotsFromTheComponentsThatHaveATypeAndAMask) {
    VertexFormat format = everyArrayFormat();
    format.setComponent(7, 0, VertexFormat::ARRAY_COLOUR << 1); // a mask without a type
    Pointer<VertexBuffer> buffer =
        Pointer<VertexBuffer>::adopt(VertexBuffer::create(format, 4, VertexBuffer::USAGE_CLIENT));
    ASSERT_TRUE(buffer);
    EXPECT_EQ(buffer->arrayMask(), 0xFF1D5u) << "no bit 5 from the typeless component";
    EXPECT_EQ(buffer->slot(5).glType, 0u);
    EXPECT_EQ(buffer->slot(2).glType, GL_SHORT);
    EXPECT_EQ(buffer->slot(2).count, 3u);
    EXPECT_EQ(buffer->slot(8).offset, 34u);
    for (int unit = 0; unit < 8; ++unit) {
        EXPECT_EQ(buffer->slot(12 + unit).glType, GL_DOUBLE);
        EXPECT_EQ(buffer->slot(12 + unit).count, 2u);
        EXPECT_EQ(buffer->slot(12 + unit).offset, 35u);
    }
    EXPECT_EQ(buffer->format().component(0).glType, GL_FLOAT);
    EXPECT_EQ(buffer->format().component(0).count, 3u);
    EXPECT_EQ(buffer->stride(), 51u);
    EXPECT_EQ(buffer->getClassName(), "Object:Resource:VertexBuffer");
}

TEST_F(VertexBufferTest, MakesABufferObjectWhereTheDriverHasThem) {
    recorder.queueError(GL_INVALID_ENUM); // left over from earlier calls: cleared, not ours
    VertexBuffer* buffer =
        VertexBuffer::create(positionNormalFormat(), 10, VertexBuffer::USAGE_STATIC);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glGetError()", "glGenBuffersARB(1, &)", "glGetError()",
                     "glBindBufferARB(GL_ARRAY_BUFFER_ARB, 1)",
                     "glBufferDataARB(GL_ARRAY_BUFFER_ARB, 240, 0, GL_STATIC_DRAW_ARB)",
                     "glGetError()"}));
    EXPECT_EQ(buffer->bufferObject(), 1u);
    EXPECT_EQ(buffer->data(), nullptr) << "a buffer object has memory only while locked";
    EXPECT_EQ(buffer->usage(), GL_STATIC_DRAW_ARB);
    EXPECT_EQ(recorder.bufferContents(1).size(), 240u);
    buffer->release();
    EXPECT_EQ(recorder.takeCalls(), (Calls{"glDeleteBuffersARB(1, {1})"}));
    EXPECT_EQ(recorder.liveBuffers(), 0u);

    IndexBuffer* indices = IndexBuffer::create(2, 9, IndexBuffer::USAGE_STREAM);
    ASSERT_NE(indices, nullptr);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glGetError()", "glGenBuffersARB(1, &)", "glGetError()",
                     "glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 2)",
                     "glBufferDataARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 18, 0, GL_STREAM_DRAW_ARB)",
                     "glGetError()"}));
    EXPECT_EQ(indices->glType(), GL_UNSIGNED_SHORT);
    indices->release();
}

TEST_F(VertexBufferTest, AnOpenGLErrorWhileNamingTheBufferObjectFailsCreation) {
    recorder.queueError(GL_NO_ERROR);
    recorder.queueError(GL_OUT_OF_MEMORY);
    EXPECT_EQ(VertexBuffer::create(positionNormalFormat(), 10, VertexBuffer::USAGE_DYNAMIC),
              nullptr);
    EXPECT_EQ(recorder.takeCalls(), (Calls{"glGetError()", "glGenBuffersARB(1, &)", "glGetError()",
                                           "glDeleteBuffersARB(1, {1})"}))
        << "no fallback to ordinary memory; the name is given back";
    recorder.queueError(GL_NO_ERROR);
    recorder.queueError(GL_INVALID_VALUE);
    EXPECT_EQ(IndexBuffer::create(4, 3, IndexBuffer::USAGE_STATIC), nullptr);
    EXPECT_EQ(recorder.liveBuffers(), 0u);
}

// A buffer object named but refused its memory is no buffer: creation answers null (the
// name given back) instead of a buffer whose lock yields nothing, and the error is read.
TEST_F(VertexBufferTest, MemoryTheDriverRefusesFailsCreation) {
    for (GLenum error : {GLenum(GL_OUT_OF_MEMORY), GLenum(GL_INVALID_OPERATION)}) {
        recorder.queueError(GL_NO_ERROR);
        recorder.queueError(GL_NO_ERROR);
        recorder.queueError(error);
        EXPECT_EQ(VertexBuffer::create(positionNormalFormat(), 1000, VertexBuffer::USAGE_STATIC),
                  nullptr);
        const Calls calls = recorder.takeCalls();
        ASSERT_GE(calls.size(), 3u);
        EXPECT_EQ(calls[calls.size() - 2], "glGetError()") << "after glBufferDataARB";
        EXPECT_TRUE(calls.back().starts_with("glDeleteBuffersARB(1, {")) << calls.back();
        recorder.queueError(GL_NO_ERROR);
        recorder.queueError(GL_NO_ERROR);
        recorder.queueError(error);
        EXPECT_EQ(IndexBuffer::create(2, 100, IndexBuffer::USAGE_STATIC), nullptr);
        EXPECT_EQ(recorder.liveBuffers(), 0u);
    }
}

TEST_F(VertexBufferTest, KeepsItsVerticesInOrdinaryMemoryForClientUseOrWithoutBufferObjects) {
    auto expectClientMemory = [this](int usage) {
        Pointer<VertexBuffer> buffer =
            Pointer<VertexBuffer>::adopt(VertexBuffer::create(positionNormalFormat(), 3, usage));
        ASSERT_TRUE(buffer);
        EXPECT_EQ(buffer->bufferObject(), 0u);
        ASSERT_NE(buffer->data(), nullptr);
        std::memset(buffer->data(), 0, 3 * 24); // all of it is there
        EXPECT_EQ(buffer->base(), reinterpret_cast<std::uintptr_t>(buffer->data()));
        EXPECT_EQ(buffer->usage(),
                  usage == VertexBuffer::USAGE_CLIENT ? GL_DYNAMIC_DRAW_ARB : GL_STATIC_DRAW_ARB);
        Pointer<IndexBuffer> indices =
            Pointer<IndexBuffer>::adopt(IndexBuffer::create(1, 5, usage));
        ASSERT_TRUE(indices);
        EXPECT_EQ(indices->bufferObject(), 0u);
        EXPECT_EQ(indices->glType(), GL_UNSIGNED_BYTE);
        EXPECT_EQ(recorder.takeCalls(), Calls{});
    };
    expectClientMemory(VertexBuffer::USAGE_CLIENT);

    // Without a current render context the entry points cannot make buffer objects, even
    // where an earlier context published them.
    context->retire();
    expectClientMemory(VertexBuffer::USAGE_STATIC);
    context = Context::createForCurrent();
    context->release();
    recorder.clear();

    recorder.removeExtension("GL_ARB_vertex_buffer_object");
    expectClientMemory(VertexBuffer::USAGE_STATIC);
}

TEST(VertexBuffer, KeepsItsVerticesInOrdinaryMemoryWithoutOpenGL) {
    // No recorder and no context: the table holds the stubs or entry points without a
    // context behind them.
    Pointer<VertexBuffer> buffer = Pointer<VertexBuffer>::adopt(
        VertexBuffer::create(positionNormalFormat(), 3, VertexBuffer::USAGE_STATIC));
    ASSERT_TRUE(buffer);
    EXPECT_EQ(buffer->bufferObject(), 0u);
    EXPECT_NE(buffer->lock(GL_WRITE_ONLY_ARB), nullptr);
    buffer->unlock();
}

TEST_F(VertexBufferTest, RefusesElementSizesAndUsageCodesItDoesNotKnow) {
    EXPECT_EQ(IndexBuffer::create(3, 10, IndexBuffer::USAGE_STATIC), nullptr);
    EXPECT_EQ(IndexBuffer::create(0, 10, IndexBuffer::USAGE_STATIC), nullptr);
    EXPECT_EQ(IndexBuffer::create(2, 10, 5), nullptr);
    EXPECT_EQ(VertexBuffer::create(positionNormalFormat(), 10, -1), nullptr);
    EXPECT_EQ(recorder.takeCalls(), Calls{});
}

TEST_F(VertexBufferTest, LocksByMappingTheBufferObject) {
    Pointer<VertexBuffer> buffer = Pointer<VertexBuffer>::adopt(
        VertexBuffer::create(positionNormalFormat(), 2, VertexBuffer::USAGE_STATIC));
    recorder.clear();
    auto* vertices = static_cast<float*>(buffer->lock(GL_WRITE_ONLY_ARB));
    ASSERT_NE(vertices, nullptr);
    EXPECT_TRUE(buffer->isLocked());
    EXPECT_EQ(buffer->lock(GL_WRITE_ONLY_ARB), vertices) << "locked already: no second mapping";
    vertices[0] = 1.5f;
    buffer->unlock();
    EXPECT_EQ(recorder.takeCalls(), (Calls{"glBindBufferARB(GL_ARRAY_BUFFER_ARB, 1)",
                                           "glMapBufferARB(GL_ARRAY_BUFFER_ARB, GL_WRITE_ONLY_ARB)",
                                           "glBindBufferARB(GL_ARRAY_BUFFER_ARB, 1)",
                                           "glUnmapBufferARB(GL_ARRAY_BUFFER_ARB)"}));
    EXPECT_FALSE(buffer->isLocked());
    EXPECT_EQ(buffer->data(), nullptr);
    float stored;
    std::memcpy(&stored, recorder.bufferContents(1).data(), sizeof stored);
    EXPECT_EQ(stored, 1.5f);

    // A mapping the driver refuses leaves the buffer unlocked, and unlocking it unmaps
    // nothing.
    recorder.refuseMapping(true);
    Pointer<IndexBuffer> indices =
        Pointer<IndexBuffer>::adopt(IndexBuffer::create(2, 6, IndexBuffer::USAGE_STATIC));
    recorder.clear();
    EXPECT_EQ(indices->lock(GL_READ_ONLY_ARB), nullptr);
    EXPECT_FALSE(indices->isLocked());
    indices->unlock();
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 2)",
                     "glMapBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, GL_READ_ONLY_ARB)"}));
}

TEST_F(VertexBufferTest, LocksOrdinaryMemoryWithoutOpenGL) {
    Pointer<IndexBuffer> indices =
        Pointer<IndexBuffer>::adopt(IndexBuffer::create(4, 3, IndexBuffer::USAGE_CLIENT));
    void* memory = indices->data();
    EXPECT_EQ(indices->lock(GL_READ_WRITE_ARB), memory);
    EXPECT_TRUE(indices->isLocked());
    indices->unlock();
    EXPECT_FALSE(indices->isLocked());
    EXPECT_EQ(indices->data(), memory) << "ordinary memory stays";
    EXPECT_EQ(recorder.takeCalls(), Calls{});
}

TEST_F(VertexBufferTest, BindsEveryArrayKindInOrderWithItsOwnSlot) {
    Pointer<VertexBuffer> buffer = Pointer<VertexBuffer>::adopt(
        VertexBuffer::create(everyArrayFormat(), 4, VertexBuffer::USAGE_STATIC));
    recorder.clear();
    buffer->bind(0xFFFFFFFF);
    Calls expected{"glBindBufferARB(GL_ARRAY_BUFFER_ARB, 1)",
                   "glVertexPointer(3, GL_FLOAT, 51, 0)",
                   "glNormalPointer(GL_SHORT, 51, 0xc)",
                   "glColorPointer(4, GL_UNSIGNED_BYTE, 51, 0x12)",
                   "glWeightPointerARB(2, GL_FLOAT, 51, 0x16)",
                   "glFogCoordPointerEXT(GL_FLOAT, 51, 0x1e)",
                   "glEdgeFlagPointer(51, 0x22)"};
    for (int unit = 0; unit < 8; ++unit) {
        expected.push_back("glClientActiveTextureARB(GL_TEXTURE" + std::to_string(unit) + "_ARB)");
        expected.push_back("glTexCoordPointer(2, GL_DOUBLE, 51, 0x23)");
    }
    EXPECT_EQ(recorder.takeCalls(), expected);

    // Ordinary memory: buffer object 0 and addresses from the vertex memory.
    Pointer<VertexBuffer> client = Pointer<VertexBuffer>::adopt(
        VertexBuffer::create(everyArrayFormat(), 4, VertexBuffer::USAGE_CLIENT));
    const std::uintptr_t base = client->base();
    client->bind(0xFFFFFFFF);
    const Calls calls = recorder.takeCalls();
    ASSERT_EQ(calls.size(), expected.size());
    EXPECT_EQ(calls[0], "glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0)");
    EXPECT_EQ(calls[6], "glEdgeFlagPointer(51, " + hex(base + 34) + ")");
    EXPECT_EQ(calls[16], "glTexCoordPointer(2, GL_DOUBLE, 51, " + hex(base + 35) + ")");
}

TEST_F(VertexBufferTest, BindsOnlyTheRequestedArraysItHas) {
    VertexFormat format;
    format.addComponent(FLOAT3, VertexFormat::ARRAY_POSITION);
    format.addComponent(0x00040411, VertexFormat::ARRAY_COLOUR);
    format.addComponent(FLOAT2, VertexFormat::ARRAY_TEXCOORD0 << 3);
    Pointer<VertexBuffer> buffer =
        Pointer<VertexBuffer>::adopt(VertexBuffer::create(format, 4, VertexBuffer::USAGE_STATIC));
    recorder.clear();
    buffer->bind(VertexFormat::ARRAY_POSITION | VertexFormat::ARRAY_NORMAL |
                 VertexFormat::ARRAY_COLOUR | VertexFormat::ARRAY_EDGE_FLAG);
    EXPECT_EQ(recorder.takeCalls(), (Calls{"glBindBufferARB(GL_ARRAY_BUFFER_ARB, 1)",
                                           "glVertexPointer(3, GL_FLOAT, 24, 0)",
                                           "glColorPointer(4, GL_UNSIGNED_BYTE, 24, 0xc)"}));
    buffer->bind(VertexFormat::ARRAY_TEXCOORD0 << 3);
    EXPECT_EQ(recorder.takeCalls(), (Calls{"glBindBufferARB(GL_ARRAY_BUFFER_ARB, 1)",
                                           "glClientActiveTextureARB(GL_TEXTURE3_ARB)",
                                           "glTexCoordPointer(2, GL_FLOAT, 24, 0x10)"}));
}

TEST_F(VertexBufferTest, SkipsArraysWhoseEntryPointTheDriverLacks) {
    Pointer<VertexBuffer> buffer = Pointer<VertexBuffer>::adopt(
        VertexBuffer::create(everyArrayFormat(), 4, VertexBuffer::USAGE_STATIC));
    recorder.removeExtension("GL_ARB_vertex_blend");
    recorder.removeExtension("GL_EXT_fog_coord");
    recorder.removeExtension("GL_ARB_multitexture");
    EXPECT_FALSE(VertexBuffer::hasArrayEntryPoint(6));
    EXPECT_FALSE(VertexBuffer::hasArrayEntryPoint(7));
    EXPECT_TRUE(VertexBuffer::hasArrayEntryPoint(12));
    EXPECT_FALSE(VertexBuffer::hasArrayEntryPoint(13));
    EXPECT_TRUE(VertexBuffer::hasArrayEntryPoint(8));
    recorder.clear();
    buffer->bind(0xFFFFFFFF);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glBindBufferARB(GL_ARRAY_BUFFER_ARB, 1)",
                     "glVertexPointer(3, GL_FLOAT, 51, 0)", "glNormalPointer(GL_SHORT, 51, 0xc)",
                     "glColorPointer(4, GL_UNSIGNED_BYTE, 51, 0x12)", "glEdgeFlagPointer(51, 0x22)",
                     "glTexCoordPointer(2, GL_DOUBLE, 51, 0x23)"}))
        << "without multitexturing only unit 0, which is the selected one";
}

} // namespace
} // namespace orvane::graphics3d
