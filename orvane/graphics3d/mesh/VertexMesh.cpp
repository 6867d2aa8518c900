#include "orvane/graphics3d/mesh/VertexMesh.h"

#include "orvane/graphics3d/mesh/PositionArray.h"
#include "orvane/graphics3d/state/Context.h"

#include <algorithm>

namespace orvane::graphics3d {
namespace {

bool isStream(int stream) {
    return stream >= 0 && stream < VertexMesh::STREAMS;
}

// Triangles of `count` consecutive vertices. Strips alternate their winding the way
// OpenGL draws them: (i, i+1, i+2) for even i, (i+1, i, i+2) for odd i.
void addTriangles(GLenum mode, std::uint32_t count, geometry::TriangleMesh3<float>& mesh) {
    switch (mode) {
    case GL_TRIANGLES:
        for (std::uint32_t t = 0; t < count / 3; ++t)
            mesh.addTriangle(3 * t, 3 * t + 1, 3 * t + 2);
        break;
    case GL_TRIANGLE_STRIP:
        for (std::uint32_t i = 0; i + 2 < count; ++i) {
            if (i % 2 == 0)
                mesh.addTriangle(i, i + 1, i + 2);
            else
                mesh.addTriangle(i + 1, i, i + 2);
        }
        break;
    case GL_TRIANGLE_FAN:
        for (std::uint32_t i = 0; i + 2 < count; ++i)
            mesh.addTriangle(0, i + 1, i + 2);
        break;
    default:
        break;
    }
}

} // namespace

void VertexMesh::setVertexBuffer(VertexBuffer* buffer, int stream) {
    if (!isStream(stream))
        return;
    vertexBuffers[stream] = buffer;
    refresh();
}

void VertexMesh::clearVertexBuffers() {
    for (auto& buffer : vertexBuffers)
        buffer = nullptr;
    refresh();
}

void VertexMesh::refresh() {
    bufferCount = 0;
    vertexCount = 0;
    arrayMask = 0;
    for (int stream = 0; stream < STREAMS; ++stream) {
        const VertexBuffer* buffer = vertexBuffers[stream].get();
        if (!buffer)
            continue;
        vertexCount =
            bufferCount == 0 ? buffer->vertexCount() : std::min(vertexCount, buffer->vertexCount());
        bufferCount = std::uint32_t(stream) + 1;
        arrayMask |= buffer->arrayMask();
    }
}

VertexBuffer* VertexMesh::vertexBuffer(int stream) const noexcept {
    return isStream(stream) ? vertexBuffers[stream].get() : nullptr;
}

void VertexMesh::bindVertexBuffers() const {
    for (std::uint32_t stream = 0; stream < bufferCount; ++stream)
        if (const VertexBuffer* buffer = vertexBuffers[stream].get())
            buffer->bind(0xFFFFFFFF);
}

PositionArray VertexMesh::positions() const {
    return PositionArray::find(vertexBuffers, STREAMS);
}

void VertexMesh::applyAppearance(Context& context) const {
    if (appearance)
        appearance->apply();
    context.shaderStack.useArraysWithoutShader(arrayMask);
}

void VertexMesh::draw() {
    Context* context = Context::current();
    if (!context)
        return;
    bindVertexBuffers();
    applyAppearance(*context);
    const std::uint32_t last = std::min(end, vertexCount);
    gl.glDrawArrays(mode, GLint(first), GLsizei(last > first ? last - first : 0));
}

geometry::TriangleMesh3<float>* VertexMesh::createTriangleMesh() {
    const PositionArray source = positions();
    if (!source)
        return nullptr;
    geometry::TriangleMesh3Holder<float> mesh(new geometry::TriangleMesh3<float>);
    const bool whole = first == end;
    if (!source.copy(whole ? 0 : first, whole ? source.vertexCount() : end, *mesh))
        return nullptr;
    addTriangles(mode, mesh->vertexCount(), *mesh);
    return mesh.release();
}

bool VertexMesh::getBounds(BoundingVolume& volume) {
    const PositionArray source = positions();
    if (!source)
        return false;
    const bool whole = first == end;
    return source.bounds(whole ? 0 : first, whole ? source.vertexCount() : end, volume);
}

types::String VertexMesh::getClassName() const {
    return object::classPath(Mesh::getClassName(), ":VertexMesh");
}

} // namespace orvane::graphics3d
