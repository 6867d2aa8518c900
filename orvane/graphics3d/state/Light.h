#pragma once

#include "orvane/graphics3d/state/Resource.h"

namespace orvane::graphics3d {

// A light source that the light stack places into one of OpenGL's eight lights.
//
// Destroying a light clears every slot of the calling thread's current context's light
// stack that holds it and switches that OpenGL light off.
class Light : public Resource {
public:
    Light() = default;
    ~Light() override;

    // Sets the light's parameters into OpenGL light GL_LIGHT0 + index (0 to 7).
    virtual void apply(int index) = 0;

    types::String getClassName() const override;
};

} // namespace orvane::graphics3d
