#pragma once

#include "orvane/graphics3d/Resource.h"

#include <cstdint>

namespace orvane::graphics3d {

// How a mesh's colour is computed from lighting and textures: a shader sets up texture
// environments when the shader stack selects it and declares the vertex arrays meshes
// must supply while it is current (bits as in ShaderStack::setClientArrays).
//
// Destroying the calling thread's current context's current shader clears that slot
// without OpenGL calls (its unapply can no longer run), so that the stack never calls a
// destroyed shader.
class Shader : public Resource {
public:
    explicit Shader(std::uint32_t arrays = 0);
    ~Shader() override;

    virtual void apply();
    // Switches off exactly what apply switched on.
    virtual void unapply();

    // Switches the current context's enabled vertex arrays to `arrayMask`.
    void setClientArrays();

    types::String getClassName() const override;

    // The arrays the shader itself needs, and those used when it is selected (its own
    // combined with those of stage programs, which the shader code keeps up to date).
    std::uint32_t arrays;
    std::uint32_t arrayMask;
};

} // namespace orvane::graphics3d
