#pragma once

#include "orvane/container/Array.h"
#include "orvane/graphics3d/mesh/BoundingVolume.h"
#include "orvane/graphics3d/mesh/ParameterBuffer.h"
#include "orvane/graphics3d/mesh/ParameterFormat.h"
#include "orvane/graphics3d/state/Resource.h"

#include <cstdint>

namespace orvane::graphics3d {

// What a model translator produces and the application draws: meshes placed by one
// transformation, drawn with a ParameterBuffer laid out by `parameterFormat` (its
// "position" parameter is the model's 4x4 matrix). Compiling turns the per-mesh draws
// into one render stream, at most once (`compile`).
//
// Models draw on the rendering thread, with its render Context current.
class Model : public Resource {
public:
    // Skeleton joints: no model uses them yet; the array stays empty.
    struct Joint {};

    virtual void draw(ParameterBuffer& parameters) = 0;
    // No behaviour in the models there are.
    virtual void update(std::uintptr_t a, std::uintptr_t b, std::uintptr_t c);
    // The compilation proper; the base model cannot compile.
    virtual bool compileNow();

    // Compiles once: false without doing anything when compiled already, else the result
    // of compileNow, which becomes the compiled state.
    bool compile();
    bool isCompiled() const noexcept { return compiled; }

    const ParameterFormat& getParameterFormat() const noexcept { return parameterFormat; }
    const BoundingVolume& getBounds() const noexcept { return bounds; }
    const container::Array<Joint>& getJoints() const noexcept { return joints; }

    types::String getClassName() const override;

protected:
    bool compiled = false;
    ParameterFormat parameterFormat;
    container::Array<Joint> joints;
    BoundingVolume bounds;
};

} // namespace orvane::graphics3d
