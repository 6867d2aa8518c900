#include "orvane/graphics3d/mesh/VertexBuffer.h"

#include "orvane/graphics3d/mesh/TypeCode.h"
#include "orvane/graphics3d/state/RenderCalls.h"
#include "orvane/system/Assembler.h"

namespace orvane::graphics3d {
namespace {

constexpr int POSITION_BIT = 0;
constexpr int NORMAL_BIT = 2;
constexpr int COLOUR_BIT = 4;
constexpr int WEIGHT_BIT = 6;
constexpr int FOG_BIT = 7;
constexpr int EDGE_FLAG_BIT = 8;
constexpr int TEXCOORD_BIT = 12;
constexpr int TEXTURE_UNITS = 8;

// Selects the client texture unit; without multitexturing only unit 0 exists, and it is
// the one selected.
bool selectClientUnit(int unit) {
    if (gl.glClientActiveTextureARB) {
        gl.glClientActiveTextureARB(GL_TEXTURE0_ARB + GLenum(unit));
        return true;
    }
    return unit == 0;
}

} // namespace

VertexBuffer::VertexBuffer(const VertexFormat& format, std::uint32_t vertexCount)
    : vertexFormat(format)
    , vertices(vertexCount) {
    for (std::uint32_t index = 0; index < vertexFormat.componentCount(); ++index) {
        VertexFormat::Component& component = vertexFormat.component(int(index));
        if (component.mask == 0 || component.type == 0)
            continue;
        component.glType = TypeCode::glType(component.type);
        component.count = TypeCode::glCount(component.type);
        arrays |= component.mask;
        for (int bit = 0; bit < SLOTS; ++bit)
            if (component.mask & (1u << bit))
                slots[bit] = {component.glType, component.count, component.offset};
    }
}

VertexBuffer* VertexBuffer::create(const VertexFormat& format, std::uint32_t vertexCount,
                                   int usage) {
    auto* buffer = new VertexBuffer(format, vertexCount);
    if (!buffer->storage.allocate(std::uint64_t(vertexCount) * format.stride(), usage)) {
        buffer->release();
        return nullptr;
    }
    return buffer;
}

void VertexBuffer::bind(std::uint32_t arrayMask) const {
    const std::uintptr_t base = storage.bind();
    const std::uint32_t mask = arrayMask & arrays;
    const auto stride = GLsizei(vertexFormat.stride());
    auto pointer = [&](int bit) { return reinterpret_cast<const void*>(base + slots[bit].offset); };
    auto has = [&](int bit) { return (mask & (1u << bit)) != 0; };

    if (has(POSITION_BIT))
        gl.glVertexPointer(GLint(slots[POSITION_BIT].count), slots[POSITION_BIT].glType, stride,
                           pointer(POSITION_BIT));
    if (has(NORMAL_BIT))
        gl.glNormalPointer(slots[NORMAL_BIT].glType, stride, pointer(NORMAL_BIT));
    if (has(COLOUR_BIT))
        gl.glColorPointer(GLint(slots[COLOUR_BIT].count), slots[COLOUR_BIT].glType, stride,
                          pointer(COLOUR_BIT));
    if (has(WEIGHT_BIT) && gl.glWeightPointerARB)
        gl.glWeightPointerARB(GLint(slots[WEIGHT_BIT].count), slots[WEIGHT_BIT].glType, stride,
                              pointer(WEIGHT_BIT));
    if (has(FOG_BIT) && gl.glFogCoordPointerEXT)
        gl.glFogCoordPointerEXT(slots[FOG_BIT].glType, stride, pointer(FOG_BIT));
    if (has(EDGE_FLAG_BIT))
        gl.glEdgeFlagPointer(stride, pointer(EDGE_FLAG_BIT));
    for (int unit = 0; unit < TEXTURE_UNITS; ++unit) {
        const int bit = TEXCOORD_BIT + unit;
        if (has(bit) && selectClientUnit(unit))
            gl.glTexCoordPointer(GLint(slots[bit].count), slots[bit].glType, stride, pointer(bit));
    }
}

void VertexBuffer::emitBind(system::Assembler& assembler, std::uint32_t arrayMask,
                            bool bound) const {
    using renderCalls::emitGLCall;
    std::uintptr_t base = 0;
    if (storage.bufferObject) {
        if (!bound)
            emitGLCall(assembler, gl.glBindBufferARB, GL_ARRAY_BUFFER_ARB, storage.bufferObject);
    } else {
        if (!bound && isAvailable(&GLTable::glBindBufferARB))
            emitGLCall(assembler, gl.glBindBufferARB, GL_ARRAY_BUFFER_ARB, 0);
        base = reinterpret_cast<std::uintptr_t>(storage.data);
    }
    const std::uint32_t mask = arrayMask & arrays;
    const std::uint32_t stride = vertexFormat.stride();
    auto has = [&](int bit) { return (mask & (1u << bit)) != 0 && hasArrayEntryPoint(bit); };
    auto pointer = [&](int bit) { return base + slots[bit].offset; };
    if (has(POSITION_BIT))
        emitGLCall(assembler, gl.glVertexPointer, slots[POSITION_BIT].count,
                   slots[POSITION_BIT].glType, stride, pointer(POSITION_BIT));
    if (has(NORMAL_BIT))
        emitGLCall(assembler, gl.glNormalPointer, slots[NORMAL_BIT].glType, stride,
                   pointer(NORMAL_BIT));
    if (has(COLOUR_BIT))
        emitGLCall(assembler, gl.glColorPointer, slots[COLOUR_BIT].count, slots[COLOUR_BIT].glType,
                   stride, pointer(COLOUR_BIT));
    if (has(WEIGHT_BIT))
        emitGLCall(assembler, gl.glWeightPointerARB, slots[WEIGHT_BIT].count,
                   slots[WEIGHT_BIT].glType, stride, pointer(WEIGHT_BIT));
    if (has(FOG_BIT))
        emitGLCall(assembler, gl.glFogCoordPointerEXT, slots[FOG_BIT].glType, stride,
                   pointer(FOG_BIT));
    if (has(EDGE_FLAG_BIT))
        emitGLCall(assembler, gl.glEdgeFlagPointer, stride, pointer(EDGE_FLAG_BIT));
    for (int unit = 0; unit < TEXTURE_UNITS; ++unit) {
        const int bit = TEXCOORD_BIT + unit;
        if (!has(bit))
            continue;
        if (gl.glClientActiveTextureARB)
            emitGLCall(assembler, gl.glClientActiveTextureARB, GL_TEXTURE0_ARB + GLenum(unit));
        emitGLCall(assembler, gl.glTexCoordPointer, slots[bit].count, slots[bit].glType, stride,
                   pointer(bit));
    }
}

bool VertexBuffer::hasArrayEntryPoint(int bit) noexcept {
    if (bit == WEIGHT_BIT)
        return gl.glWeightPointerARB != nullptr;
    if (bit == FOG_BIT)
        return gl.glFogCoordPointerEXT != nullptr;
    if (bit > TEXCOORD_BIT && bit < TEXCOORD_BIT + TEXTURE_UNITS)
        return gl.glClientActiveTextureARB != nullptr;
    return bit >= 0 && bit < SLOTS;
}

types::String VertexBuffer::getClassName() const {
    return object::classPath(Resource::getClassName(), ":VertexBuffer");
}

} // namespace orvane::graphics3d
