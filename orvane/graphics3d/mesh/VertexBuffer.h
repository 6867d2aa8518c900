#pragma once

#include "orvane/graphics3d/mesh/BufferStorage.h"
#include "orvane/graphics3d/mesh/VertexFormat.h"
#include "orvane/graphics3d/state/Resource.h"

#include <cstdint>

namespace orvane::system {
class Assembler;
}

namespace orvane::graphics3d {

// `vertexCount` vertices laid out by one VertexFormat, in a buffer object or in ordinary
// memory (BufferStorage), and able to point the OpenGL client arrays at itself.
//
// Each of the 20 array-mask bits has a slot {glType, count, offset} taken from the format
// component that feeds it (one component may feed several arrays: a texture-coordinate
// component with mask 0xFF000 feeds all eight units from the same bytes). Made with
// `create` (count 1), shared by counted pointers; used on the rendering thread.
class VertexBuffer : public Resource {
public:
    static constexpr int USAGE_STATIC = BufferStorage::USAGE_STATIC;
    static constexpr int USAGE_DYNAMIC = BufferStorage::USAGE_DYNAMIC;
    static constexpr int USAGE_STREAM = BufferStorage::USAGE_STREAM;
    static constexpr int USAGE_CLIENT = BufferStorage::USAGE_CLIENT;

    struct Slot {
        std::uint32_t glType = 0;
        std::uint32_t count = 0;
        std::uint32_t offset = 0;
    };
    static constexpr int SLOTS = VertexFormat::ARRAY_BITS;

    // A new buffer (count 1), or null: an unknown usage code, an OpenGL error while making
    // its buffer object, or no memory. A buffer object is left bound to GL_ARRAY_BUFFER_ARB.
    static VertexBuffer* create(const VertexFormat& format, std::uint32_t vertexCount, int usage);

    // The vertex memory, or null when the driver refuses to map the buffer object; the
    // caller checks before writing. Always unlock what was locked.
    void* lock(GLenum access) { return storage.lock(access); }
    void unlock() { storage.unlock(); }

    // Points the client arrays of `arrayMask` that the buffer has (-1: all it has) at its
    // vertices, in this order: position, normal, colour, weight, fog coordinate, edge flag,
    // texture coordinates of units 0 to 7 (each after glClientActiveTextureARB; the last
    // unit stays selected). Enabling the arrays is the shaders' business. An array whose
    // entry point the driver lacks is skipped (hasArrayEntryPoint).
    void bind(std::uint32_t arrayMask) const;

    // Whether the array of mask bit `bit` can be bound on this driver: the weight array
    // needs glWeightPointerARB, the fog-coordinate array glFogCoordPointerEXT, texture
    // units other than 0 glClientActiveTextureARB.
    static bool hasArrayEntryPoint(int bit) noexcept;
    // Appends to a render program what bind(arrays) does, with every argument a constant:
    // the buffer binding (buffer object, or 0 and the memory's address as base where
    // buffer objects exist), then the pointer of each array of `arrays` the buffer has, in
    // bind's order, skipping those the driver lacks an entry point for. The program
    // refers to the buffer's memory, so whoever keeps the program keeps the buffer.
    // `bound`: the code before leaves this buffer bound to GL_ARRAY_BUFFER_ARB, so only the
    // pointers are emitted.
    void emitBind(system::Assembler& assembler, std::uint32_t arrays, bool bound = false) const;

    const Slot& slot(int bit) const noexcept { return slots[bit]; }
    const VertexFormat& format() const noexcept { return vertexFormat; }
    std::uint32_t stride() const noexcept { return vertexFormat.stride(); }
    std::uint32_t vertexCount() const noexcept { return vertices; }
    std::uint32_t arrayMask() const noexcept { return arrays; }
    void* data() const noexcept { return storage.data; }
    bool isLocked() const noexcept { return storage.locked; }
    GLenum usage() const noexcept { return storage.usage; }
    GLuint bufferObject() const noexcept { return storage.bufferObject; }
    // What array pointers are relative to: 0 in a buffer object, else the memory.
    std::uintptr_t base() const noexcept { return storage.base(); }

    types::String getClassName() const override;

private:
    VertexBuffer(const VertexFormat& format, std::uint32_t vertexCount);

    Slot slots[SLOTS];
    VertexFormat vertexFormat;
    std::uint32_t vertices;
    std::uint32_t arrays = 0;
    BufferStorage storage{GL_ARRAY_BUFFER_ARB};
};

} // namespace orvane::graphics3d
