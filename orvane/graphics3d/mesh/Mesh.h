#pragma once

#include "orvane/geometry/TriangleMesh3.h"
#include "orvane/graphics3d/gl/GL.h"
#include "orvane/graphics3d/mesh/BoundingVolume.h"
#include "orvane/graphics3d/state/Appearance.h"
#include "orvane/graphics3d/state/Resource.h"
#include "orvane/object/Pointer.h"

namespace orvane::graphics3d {

// The smallest drawable thing: one OpenGL primitive type, one Appearance and the vertex
// data to draw with one call. VertexMesh draws arrays, IndexMesh elements.
//
// Meshes draw on the rendering thread and need its current render Context: without one
// they draw nothing. Shared by counted pointers (models, the optimiser).
class Mesh : public Resource {
public:
    // Issues this mesh's OpenGL calls: vertex pointers, (index binding,) appearance, draw.
    virtual void draw() = 0;
    // The positions read back as floats and the primitives expanded into triangles: a new
    // triangle mesh (count 1, the caller's), or null when the mesh has no positions or
    // its memory cannot be read.
    virtual geometry::TriangleMesh3<float>* createTriangleMesh() = 0;
    // Writes the axis-aligned box of the positions; false when it cannot be computed.
    virtual bool getBounds(BoundingVolume& volume) = 0;

    void setAppearance(Appearance* newAppearance) noexcept { appearance = newAppearance; }
    Appearance* getAppearance() const noexcept { return appearance.get(); }
    // Any primitive type is drawn; the triangle export knows GL_TRIANGLES,
    // GL_TRIANGLE_STRIP and GL_TRIANGLE_FAN.
    void setMode(GLenum newMode) noexcept { mode = newMode; }
    GLenum getMode() const noexcept { return mode; }

    types::String getClassName() const override;

protected:
    object::Pointer<Appearance> appearance;
    GLenum mode = GL_TRIANGLES;
};

} // namespace orvane::graphics3d
