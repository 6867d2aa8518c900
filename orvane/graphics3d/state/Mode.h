#pragma once

#include "orvane/graphics3d/gl/GL.h"
#include "orvane/graphics3d/state/Resource.h"

#include <cstdint>

namespace orvane::graphics3d {

// A block of fixed-function raster state (colour write mask, depth test and writes, depth
// range, stencil test and operations, blending, alpha test) that a scene selects through
// the mode stack. Plain data: users set the fields after construction and select the mode.
//
// Selecting a mode sends the whole block, every field, in one fixed order; nothing is
// compared field by field. Changing the fields of the current mode therefore has no effect
// until another mode was selected in between or the stack was reset.
//
// Destroying the calling thread's current context's current mode clears that slot (no
// OpenGL call), so that the next mode selected is applied in full.
class Mode : public Resource {
public:
    Mode() = default;
    ~Mode() override;

    // Sends the block to OpenGL (see Mode.cpp for the order).
    virtual void apply();
    // Nothing for a mode: the next mode's apply overwrites every field.
    virtual void unapply();

    types::String getClassName() const override;

    float depthNear = 0.0f;
    float depthFar = 1.0f;
    // -1 disables the depth test. Depth writes start off, unlike OpenGL's own default.
    std::int32_t depthFunc = GL_LEQUAL;
    bool depthMask = false;
    std::uint32_t stencilFail = GL_KEEP;
    std::uint32_t stencilDepthFail = GL_KEEP;
    std::uint32_t stencilPass = GL_KEEP;
    // -1 disables the stencil test.
    std::int32_t stencilFunc = -1;
    std::int32_t stencilRef = 0;
    std::uint32_t stencilMask = 0xFFFFFFFFu;
    std::uint32_t stencilWriteMask = 0;
    // GL_ONE with GL_ZERO disables blending.
    std::uint32_t blendSource = GL_ONE;
    std::uint32_t blendDestination = GL_ZERO;
    // Sent whenever the blend-equation entry point exists, so it starts as OpenGL's own
    // initial equation.
    std::uint32_t blendEquation = GL_FUNC_ADD_EXT;
    float blendColour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    bool colourMask[4] = {true, true, true, true};
    // -1 disables the alpha test.
    std::int32_t alphaFunc = -1;
    float alphaRef = 0.0f;
};

} // namespace orvane::graphics3d
