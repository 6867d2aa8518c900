#pragma once

#include "orvane/graphics3d/mesh/BufferStorage.h"
#include "orvane/graphics3d/state/Resource.h"

#include <cstdint>

namespace orvane::system {
class Assembler;
}

namespace orvane::graphics3d {

// `indexCount` unsigned indices of 1, 2 or 4 bytes for glDrawElements, in a buffer object
// or in ordinary memory (BufferStorage). Made with `create` (count 1), shared by counted
// pointers; used on the rendering thread.
class IndexBuffer : public Resource {
public:
    static constexpr int USAGE_STATIC = BufferStorage::USAGE_STATIC;
    static constexpr int USAGE_DYNAMIC = BufferStorage::USAGE_DYNAMIC;
    static constexpr int USAGE_STREAM = BufferStorage::USAGE_STREAM;
    static constexpr int USAGE_CLIENT = BufferStorage::USAGE_CLIENT;

    // A new buffer (count 1), or null: an element size other than 1, 2 or 4, an unknown
    // usage code, an OpenGL error while making its buffer object, or no memory. A buffer
    // object is left bound to GL_ELEMENT_ARRAY_BUFFER_ARB.
    static IndexBuffer* create(std::uint32_t elementSize, std::uint32_t indexCount, int usage);

    // The index memory, or null when the driver refuses to map the buffer object.
    void* lock(GLenum access) { return storage.lock(access); }
    void unlock() { storage.unlock(); }

    // Binds the buffer to GL_ELEMENT_ARRAY_BUFFER_ARB for drawing (0 for ordinary memory
    // when buffer objects exist) and answers the index pointer glDrawElements takes: 0 in
    // a buffer object, the memory otherwise.
    std::uintptr_t bind() const { return storage.bind(); }
    // Appends to a render program (current Context in ESI) what an index mesh does before
    // drawing, with constants: the binding as bind() makes it, then the index type, size
    // and base stored into the context's index fields (through EDX), which compiled
    // draws read. The program refers to the buffer's memory, so whoever keeps the program
    // keeps the buffer.
    void emitBind(system::Assembler& assembler) const;

    std::uint32_t elementSize() const noexcept { return size; }
    std::uint32_t indexCount() const noexcept { return indices; }
    // GL_UNSIGNED_BYTE, GL_UNSIGNED_SHORT or GL_UNSIGNED_INT.
    GLenum glType() const noexcept { return type; }
    void* data() const noexcept { return storage.data; }
    bool isLocked() const noexcept { return storage.locked; }
    GLenum usage() const noexcept { return storage.usage; }
    GLuint bufferObject() const noexcept { return storage.bufferObject; }
    // What the index pointer is relative to: 0 in a buffer object, else the memory.
    std::uintptr_t base() const noexcept { return storage.base(); }

    types::String getClassName() const override;

private:
    IndexBuffer(std::uint32_t elementSize, std::uint32_t indexCount, GLenum glType) noexcept;

    std::uint32_t size;
    std::uint32_t indices;
    GLenum type;
    BufferStorage storage{GL_ELEMENT_ARRAY_BUFFER_ARB};
};

} // namespace orvane::graphics3d
