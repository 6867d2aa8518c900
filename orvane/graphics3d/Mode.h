#pragma once

#include "orvane/graphics3d/Resource.h"

namespace orvane::graphics3d {

// A block of fixed-function raster state that a scene selects through the mode stack.
//
// Destroying the calling thread's current context's current mode clears that slot (no
// OpenGL call), so that the next mode selected is applied in full.
class Mode : public Resource {
public:
    Mode() = default;
    ~Mode() override;

    // Sends the block to OpenGL; nothing in the base class.
    virtual void apply();
    // Takes back what apply set that the next mode would not; nothing in the base class.
    virtual void unapply();

    types::String getClassName() const override;
};

} // namespace orvane::graphics3d
