#include "orvane/graphics3d/state/Mode.h"

#include "orvane/graphics3d/state/Context.h"

namespace orvane::graphics3d {
namespace {

GLboolean glBoolean(bool value) {
    return value ? GLboolean(GL_TRUE) : GLboolean(GL_FALSE);
}

// Enables the capability and sends its comparison, or disables it when the function is -1.
template <class Compare>
void enableUnless(std::int32_t function, GLenum capability, Compare compare) {
    if (function == -1) {
        gl.glDisable(capability);
        return;
    }
    gl.glEnable(capability);
    compare();
}

} // namespace

Mode::~Mode() {
    Context::forEachOnThisThread([this](Context& context) { context.modeStack.forget(this); });
}

void Mode::apply() {
    gl.glColorMask(glBoolean(colourMask[0]), glBoolean(colourMask[1]), glBoolean(colourMask[2]),
                   glBoolean(colourMask[3]));
    enableUnless(depthFunc, GL_DEPTH_TEST, [this] { gl.glDepthFunc(GLenum(depthFunc)); });
    gl.glDepthMask(glBoolean(depthMask));
    gl.glDepthRange(double(depthNear), double(depthFar));
    enableUnless(stencilFunc, GL_STENCIL_TEST,
                 [this] { gl.glStencilFunc(GLenum(stencilFunc), stencilRef, stencilMask); });
    gl.glStencilMask(stencilWriteMask);
    gl.glStencilOp(stencilFail, stencilDepthFail, stencilPass);
    if (blendSource == GL_ONE && blendDestination == GL_ZERO) {
        gl.glDisable(GL_BLEND);
    } else {
        gl.glEnable(GL_BLEND);
        gl.glBlendFunc(blendSource, blendDestination);
    }
    // Optional entry points: null when the context lacks their extensions.
    if (gl.glBlendEquationEXT)
        gl.glBlendEquationEXT(blendEquation);
    if (gl.glBlendColorEXT)
        gl.glBlendColorEXT(blendColour[0], blendColour[1], blendColour[2], blendColour[3]);
    enableUnless(alphaFunc, GL_ALPHA_TEST, [this] { gl.glAlphaFunc(GLenum(alphaFunc), alphaRef); });
}

void Mode::unapply() {}

types::String Mode::getClassName() const {
    return object::classPath(Resource::getClassName(), ":Mode");
}

} // namespace orvane::graphics3d
