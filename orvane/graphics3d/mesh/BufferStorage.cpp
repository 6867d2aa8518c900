#include "orvane/graphics3d/mesh/BufferStorage.h"

#include "orvane/graphics3d/state/Context.h"

#include <cstddef>
#include <cstdlib>
#include <limits>

namespace orvane::graphics3d {
namespace {

constexpr GLenum glUsages[] = {0, GL_STATIC_DRAW_ARB, GL_DYNAMIC_DRAW_ARB, GL_STREAM_DRAW_ARB,
                               GL_DYNAMIC_DRAW_ARB};

} // namespace

BufferStorage::~BufferStorage() {
    if (bufferObject) {
        if (gl.glDeleteBuffersARB)
            gl.glDeleteBuffersARB(1, &bufferObject);
    } else {
        std::free(data);
    }
}

bool BufferStorage::allocate(std::uint64_t size, int usageCode) {
    if (usageCode < USAGE_NONE || usageCode > USAGE_CLIENT ||
        size > std::uint64_t(std::numeric_limits<GLsizeiptrARB>::max()))
        return false;
    usage = glUsages[usageCode];
    bytes = size;
    if (usageCode != USAGE_CLIENT && buffersAvailable()) {
        gl.glGetError();
        gl.glGenBuffersARB(1, &bufferObject);
        // A driver that names no buffer without reporting an error fails the same way:
        // name 0 would leave the buffer with neither a buffer object nor memory.
        if (gl.glGetError() != GL_NO_ERROR || bufferObject == 0)
            return false;
        gl.glBindBufferARB(target, bufferObject);
        gl.glBufferDataARB(target, GLsizeiptrARB(size), nullptr, usage);
        // A buffer object the driver could not give its memory (GL_OUT_OF_MEMORY) is no
        // buffer; reading the error clears it for whoever asks next.
        return gl.glGetError() == GL_NO_ERROR;
    }
    // At least one byte, so that even an empty buffer has memory to point at.
    data = std::malloc(size > 0 ? std::size_t(size) : 1);
    return data != nullptr;
}

void* BufferStorage::lock(GLenum access) {
    if (locked)
        return data;
    if (bufferObject) {
        gl.glBindBufferARB(target, bufferObject);
        data = gl.glMapBufferARB(target, access);
        locked = data != nullptr;
    } else {
        locked = true;
    }
    return data;
}

void BufferStorage::unlock() {
    if (bufferObject && locked) {
        gl.glBindBufferARB(target, bufferObject);
        gl.glUnmapBufferARB(target);
        data = nullptr;
    }
    locked = false;
}

std::uintptr_t BufferStorage::bind() const {
    if (bufferObject) {
        gl.glBindBufferARB(target, bufferObject);
        return 0;
    }
    if (isAvailable(&GLTable::glBindBufferARB))
        gl.glBindBufferARB(target, 0);
    return reinterpret_cast<std::uintptr_t>(data);
}

bool BufferStorage::buffersAvailable() noexcept {
    return Context::current() != nullptr && isAvailable(&GLTable::glGenBuffersARB) &&
           isAvailable(&GLTable::glBindBufferARB) && isAvailable(&GLTable::glBufferDataARB) &&
           isAvailable(&GLTable::glMapBufferARB) && isAvailable(&GLTable::glUnmapBufferARB) &&
           isAvailable(&GLTable::glDeleteBuffersARB);
}

} // namespace orvane::graphics3d
