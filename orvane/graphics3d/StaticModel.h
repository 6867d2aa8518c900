#pragma once

#include "orvane/container/Array.h"
#include "orvane/graphics3d/Mesh.h"
#include "orvane/graphics3d/Model.h"
#include "orvane/object/Pointer.h"

namespace orvane::graphics3d {

// The concrete model: an ordered list of meshes and their overall bounds. A translator
// adds the meshes and then calls `initialise`; drawing loads the "position" matrix and
// draws each mesh in order.
//
// Compilation into a render stream is not available yet: compileNow is the base model's,
// which answers false, so `compile` leaves the model drawing mesh by mesh.
class StaticModel : public Model {
public:
    // Appends a counted reference; null is not a mesh and is ignored.
    void addMesh(Mesh* mesh);
    // Removes the first entry that is this mesh; nothing when there is none.
    void removeMesh(Mesh* mesh);
    // Appends every mesh, in order, as a plain pointer.
    void collectMeshes(container::Array<Mesh*>& out) const;
    std::uint32_t meshCount() const noexcept { return meshes.count(); }
    Mesh* mesh(std::uint32_t index) const noexcept { return meshes[index].get(); }

    // Makes the parameter format exactly "position" (sixteen floats at offset 0), empties
    // the joints and unites the bounds of every mesh that has them.
    void initialise();

    // Loads the first sixteen floats of the block, a row-major matrix, as the model-view
    // matrix (it replaces the matrix: a camera must already be folded into it), then draws
    // every mesh. Draws nothing without a current render context or with a block smaller
    // than the matrix.
    void draw(ParameterBuffer& parameters) override;

    types::String getClassName() const override;

private:
    container::Array<object::Pointer<Mesh>> meshes;
};

} // namespace orvane::graphics3d
