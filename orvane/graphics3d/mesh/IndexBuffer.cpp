#include "orvane/graphics3d/mesh/IndexBuffer.h"

#include "orvane/graphics3d/state/RenderCalls.h"
#include "orvane/system/Assembler.h"

namespace orvane::graphics3d {

IndexBuffer::IndexBuffer(std::uint32_t elementSize, std::uint32_t indexCount,
                         GLenum glType) noexcept
    : size(elementSize)
    , indices(indexCount)
    , type(glType) {}

IndexBuffer* IndexBuffer::create(std::uint32_t elementSize, std::uint32_t indexCount, int usage) {
    GLenum glType;
    switch (elementSize) {
    case 1:
        glType = GL_UNSIGNED_BYTE;
        break;
    case 2:
        glType = GL_UNSIGNED_SHORT;
        break;
    case 4:
        glType = GL_UNSIGNED_INT;
        break;
    default:
        return nullptr;
    }
    auto* buffer = new IndexBuffer(elementSize, indexCount, glType);
    if (!buffer->storage.allocate(std::uint64_t(elementSize) * indexCount, usage)) {
        buffer->release();
        return nullptr;
    }
    return buffer;
}

void IndexBuffer::emitBind(system::Assembler& assembler) const {
    using system::Assembler;
    if (storage.bufferObject)
        renderCalls::emitGLCall(assembler, gl.glBindBufferARB, GL_ELEMENT_ARRAY_BUFFER_ARB,
                                storage.bufferObject);
    else if (isAvailable(&GLTable::glBindBufferARB))
        renderCalls::emitGLCall(assembler, gl.glBindBufferARB, GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    auto store = [&](std::ptrdiff_t field, std::uintptr_t value) {
        assembler.moveImmediate(Assembler::EDX, value);
        assembler.storeIndexed(Assembler::ESI, field, Assembler::EDX);
    };
    store(Context::INDEX_TYPE_OFFSET, type);
    store(Context::INDEX_SIZE_OFFSET, size);
    store(Context::INDEX_POINTER_OFFSET, storage.base());
}

types::String IndexBuffer::getClassName() const {
    return object::classPath(Resource::getClassName(), ":IndexBuffer");
}

} // namespace orvane::graphics3d
