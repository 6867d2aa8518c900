#pragma once

#include "orvane/graphics3d/gl/GL.h"

#include <cstdint>

namespace orvane::graphics3d {

// The memory behind a vertex or index buffer: an OpenGL buffer object when the usage
// asks for one, a render context is current on the calling thread and the driver has the
// buffer-object entry points; otherwise ordinary memory (always for USAGE_CLIENT, and
// whenever there is no OpenGL context: the entry points a context published earlier
// cannot make buffer objects without one). A buffer object is mapped while locked;
// ordinary memory stays valid.
//
// Used on the rendering thread: making, locking and destroying a buffer object need the
// OpenGL context it belongs to to be current.
class BufferStorage {
public:
    // Usage codes of the buffers' create operations.
    enum Usage : int {
        USAGE_NONE = 0,    // OpenGL usage 0, which drivers reject
        USAGE_STATIC = 1,  // GL_STATIC_DRAW_ARB
        USAGE_DYNAMIC = 2, // GL_DYNAMIC_DRAW_ARB
        USAGE_STREAM = 3,  // GL_STREAM_DRAW_ARB
        USAGE_CLIENT = 4,  // ordinary memory (GL_DYNAMIC_DRAW_ARB is recorded)
    };

    // `target`: GL_ARRAY_BUFFER_ARB or GL_ELEMENT_ARRAY_BUFFER_ARB.
    explicit BufferStorage(GLenum target) noexcept
        : target(target) {}
    // Deletes the buffer object or frees the memory.
    ~BufferStorage();
    BufferStorage(const BufferStorage&) = delete;
    BufferStorage& operator=(const BufferStorage&) = delete;

    // Makes `bytes` of storage for a usage code. A buffer object stays bound to the
    // target. False for an unknown usage code, a size OpenGL cannot take, an OpenGL error
    // while naming the buffer object (no fallback to ordinary memory) or no memory.
    bool allocate(std::uint64_t bytes, int usage);

    // Maps a buffer object (GL_READ_ONLY_ARB, GL_WRITE_ONLY_ARB, GL_READ_WRITE_ARB);
    // answers the memory, or null when the driver refuses the mapping (and the storage
    // stays unlocked). Locking a locked storage answers the same memory again.
    void* lock(GLenum access);
    // Unmaps a locked buffer object; the storage is unlocked in any case.
    void unlock();

    // Binds the storage to its target for drawing (buffer object 0 for ordinary memory
    // when buffer objects exist) and answers the base address that array and index
    // pointers are relative to: 0 in a buffer object, the memory otherwise.
    std::uintptr_t bind() const;
    // The same base without binding.
    std::uintptr_t base() const noexcept {
        return bufferObject ? 0 : reinterpret_cast<std::uintptr_t>(data);
    }

    // Whether buffer objects can be made now: a render context is current and every
    // buffer-object entry point the buffers use can be called.
    static bool buffersAvailable() noexcept;

    const GLenum target;
    // Ordinary memory for good; a buffer object's mapping while locked; else null.
    void* data = nullptr;
    bool locked = false;
    GLenum usage = 0;
    GLuint bufferObject = 0;
    std::uint64_t bytes = 0;
};

} // namespace orvane::graphics3d
