#include "orvane/graphics3d/mesh/IndexMesh.h"

#include "orvane/graphics3d/mesh/PositionArray.h"
#include "orvane/graphics3d/state/Context.h"

#include <algorithm>
#include <cstring>

namespace orvane::graphics3d {
namespace {

// The indices of one locked index buffer, read with their element size.
class IndexReader {
public:
    IndexReader(const void* memory, std::uint32_t elementSize) noexcept
        : bytes(static_cast<const std::uint8_t*>(memory))
        , size(elementSize) {}

    std::uint32_t operator[](std::uint32_t index) const noexcept {
        const std::uint8_t* element = bytes + std::uint64_t(index) * size;
        switch (size) {
        case 1:
            return *element;
        case 2: {
            std::uint16_t value;
            std::memcpy(&value, element, sizeof value);
            return value;
        }
        default: {
            std::uint32_t value;
            std::memcpy(&value, element, sizeof value);
            return value;
        }
        }
    }

private:
    const std::uint8_t* bytes;
    std::uint32_t size;
};

// Locks an index buffer for reading and always unlocks it again.
class IndexLock {
public:
    explicit IndexLock(IndexBuffer& buffer)
        : buffer(buffer)
        , memory(buffer.lock(GL_READ_ONLY_ARB)) {}
    ~IndexLock() { buffer.unlock(); }
    IndexLock(const IndexLock&) = delete;
    IndexLock& operator=(const IndexLock&) = delete;

    IndexBuffer& buffer;
    const void* const memory;
};

// Collects triangles, leaving out those that name a vertex the mesh does not have.
class TriangleSink {
public:
    explicit TriangleSink(geometry::TriangleMesh3<float>& mesh) noexcept
        : mesh(mesh)
        , vertices(mesh.vertexCount()) {}

    void add(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        if (a < vertices && b < vertices && c < vertices)
            mesh.addTriangle(a, b, c);
    }

private:
    geometry::TriangleMesh3<float>& mesh;
    std::uint32_t vertices;
};

// Triangles of the indices first .. end. Strips keep the last two indices, replacing
// them alternately so that the winding follows OpenGL's, and drop triangles that repeat
// an index (the degenerate joints between strips); fans turn around the first index.
void addTriangles(GLenum mode, const IndexReader& indices, std::uint32_t first, std::uint32_t end,
                  TriangleSink& triangles) {
    const std::uint32_t count = end - first;
    switch (mode) {
    case GL_TRIANGLES:
        for (std::uint32_t i = first; i + 3 <= end; i += 3)
            triangles.add(indices[i], indices[i + 1], indices[i + 2]);
        break;
    case GL_TRIANGLE_STRIP: {
        if (count < 2)
            break;
        std::uint32_t a = indices[first], b = indices[first + 1];
        for (std::uint32_t i = 0; first + 2 + i < end; ++i) {
            const std::uint32_t d = indices[first + 2 + i];
            if (a != b && b != d && a != d)
                triangles.add(a, b, d);
            (i % 2 == 0 ? a : b) = d;
        }
        break;
    }
    case GL_TRIANGLE_FAN: {
        if (count < 2)
            break;
        const std::uint32_t c = indices[first];
        std::uint32_t b = indices[first + 1];
        for (std::uint32_t i = first + 2; i < end; ++i) {
            const std::uint32_t d = indices[i];
            triangles.add(c, b, d);
            b = d;
        }
        break;
    }
    default:
        break;
    }
}

} // namespace

void IndexMesh::draw() {
    Context* context = Context::current();
    if (!context || !indexBuffer)
        return;
    bindVertexBuffers();
    const std::uintptr_t pointer = indexBuffer->bind();
    const GLenum type = indexBuffer->glType();
    const std::uint32_t size = indexBuffer->elementSize();
    context->indexPointer = pointer;
    context->indexType = type;
    context->indexSize = size;
    applyAppearance(*context);
    const std::uint32_t count = indexBuffer->indexCount();
    if (first == end) {
        gl.glDrawElements(mode, GLsizei(count), type, reinterpret_cast<const void*>(pointer));
        return;
    }
    const std::uint32_t last = std::min(end, count);
    if (first >= last) {
        gl.glDrawElements(mode, 0, type, reinterpret_cast<const void*>(pointer));
        return;
    }
    gl.glDrawElements(mode, GLsizei(last - first), type,
                      reinterpret_cast<const void*>(pointer + std::uintptr_t(first) * size));
}

geometry::TriangleMesh3<float>* IndexMesh::createTriangleMesh() {
    const PositionArray source = positions();
    if (!source || !indexBuffer)
        return nullptr;
    geometry::TriangleMesh3Holder<float> mesh(new geometry::TriangleMesh3<float>);
    if (!source.copy(0, source.vertexCount(), *mesh))
        return nullptr;
    IndexLock lock(*indexBuffer);
    if (!lock.memory)
        return nullptr;
    const std::uint32_t count = indexBuffer->indexCount();
    const bool whole = first == end;
    const std::uint32_t from = whole ? 0 : std::min(first, count);
    const std::uint32_t to = whole ? count : std::max(from, std::min(end, count));
    TriangleSink triangles(*mesh);
    addTriangles(mode, IndexReader(lock.memory, indexBuffer->elementSize()), from, to, triangles);
    return mesh.release();
}

bool IndexMesh::getBounds(BoundingVolume& volume) {
    const PositionArray source = positions();
    return source && source.bounds(0, source.vertexCount(), volume);
}

types::String IndexMesh::getClassName() const {
    return object::classPath(VertexMesh::getClassName(), ":IndexMesh");
}

} // namespace orvane::graphics3d
