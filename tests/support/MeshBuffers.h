#pragma once

#include "orvane/graphics3d/mesh/IndexBuffer.h"
#include "orvane/graphics3d/mesh/VertexBuffer.h"
#include "orvane/object/Pointer.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace orvane::test {

// Vertex and index buffers filled through lock and unlock, as a translator fills them.

inline object::Pointer<graphics3d::VertexBuffer>
makeVertexBuffer(const graphics3d::VertexFormat& format, const void* vertices,
                 std::uint32_t vertexCount, int usage) {
    auto buffer = object::Pointer<graphics3d::VertexBuffer>::adopt(
        graphics3d::VertexBuffer::create(format, vertexCount, usage));
    if (buffer && vertexCount > 0) {
        if (void* memory = buffer->lock(graphics3d::GL_WRITE_ONLY_ARB))
            std::memcpy(memory, vertices, std::size_t(vertexCount) * format.stride());
        buffer->unlock();
    }
    return buffer;
}

// Positions as three floats, one vertex per point.
inline object::Pointer<graphics3d::VertexBuffer>
makePositionBuffer(const std::vector<float>& xyz,
                   int usage = graphics3d::VertexBuffer::USAGE_CLIENT) {
    graphics3d::VertexFormat format;
    format.addComponent(0x000C0324, graphics3d::VertexFormat::ARRAY_POSITION);
    return makeVertexBuffer(format, xyz.data(), std::uint32_t(xyz.size() / 3), usage);
}

template <class Index>
object::Pointer<graphics3d::IndexBuffer>
makeIndexBuffer(std::initializer_list<Index> indices,
                int usage = graphics3d::IndexBuffer::USAGE_CLIENT) {
    auto buffer = object::Pointer<graphics3d::IndexBuffer>::adopt(
        graphics3d::IndexBuffer::create(sizeof(Index), std::uint32_t(indices.size()), usage));
    if (buffer && indices.size() > 0) {
        if (void* memory = buffer->lock(graphics3d::GL_WRITE_ONLY_ARB))
            std::memcpy(memory, std::data(indices), indices.size() * sizeof(Index));
        buffer->unlock();
    }
    return buffer;
}

} // namespace orvane::test
