#pragma once

#include "orvane/graphics3d/Resource.h"

namespace orvane::graphics3d {

// The base of materials: sets the fixed-function lighting colours into the current
// OpenGL context when the material stack selects it.
//
// Destroying the calling thread's current context's current material clears that slot
// (no OpenGL call), so that a new material at the same address is applied again.
class Material : public Resource {
public:
    Material() = default;
    ~Material() override;

    // Does nothing in the base class.
    virtual void apply();

    types::String getClassName() const override;
};

} // namespace orvane::graphics3d
