#pragma once

#include "orvane/object/Object.h"
#include "orvane/types/String.h"

namespace orvane::graphics3d {

// The base of every renderable object (cameras, lights, materials, appearances, shaders,
// textures, modes, buffers, meshes, models, render streams): a counted engine object
// with a name that builders assign directly.
class Resource : public object::Object {
public:
    Resource() = default;

    types::String getName() const override;
    types::String getClassName() const override;

    types::String name;
};

} // namespace orvane::graphics3d
