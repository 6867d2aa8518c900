#pragma once

#include "orvane/container/Array.h"
#include "orvane/graphics3d/compile/RenderStream.h"
#include "orvane/graphics3d/mesh/Mesh.h"
#include "orvane/graphics3d/model/Model.h"
#include "orvane/object/Pointer.h"

namespace orvane::graphics3d {

// The concrete model: an ordered list of meshes and their overall bounds. A translator
// adds the meshes and then calls `initialise`; drawing loads the "position" matrix and
// draws each mesh in order.
//
// Compiling (Model::compile) hands the meshes to an Optimizer and keeps the render stream
// it makes; the meshes are released and the model draws through the stream only. The
// stream holds every buffer, appearance piece and texture it uses.
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
    // Compiles the meshes into a render stream and lets go of them. False, leaving a model
    // that draws nothing, when no stream could be made. Needs the rendering thread's
    // render context current (the merged buffers are made in it).
    bool compileNow() override;
    const RenderStream* getRenderStream() const noexcept { return renderStream.get(); }

    types::String getClassName() const override;

private:
    container::Array<object::Pointer<Mesh>> meshes;
    object::Pointer<RenderStream> renderStream;
};

} // namespace orvane::graphics3d
