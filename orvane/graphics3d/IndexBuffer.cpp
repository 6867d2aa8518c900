#include "orvane/graphics3d/IndexBuffer.h"

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

types::String IndexBuffer::getClassName() const {
    return object::classPath(Resource::getClassName(), ":IndexBuffer");
}

} // namespace orvane::graphics3d
