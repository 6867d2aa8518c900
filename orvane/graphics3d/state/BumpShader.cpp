#include "orvane/graphics3d/state/BumpShader.h"

#include "orvane/graphics3d/state/TextureUnits.h"

namespace orvane::graphics3d {

using namespace textureunits;

BumpShader::BumpShader() = default;

void BumpShader::apply() {
    select(0);
    gl.glEnable(GL_TEXTURE_2D);
    environment(GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
    environment(GL_COMBINE_RGB_ARB, GL_DOT3_RGBA_ARB);
    environment(GL_SOURCE0_RGB_ARB, GL_PREVIOUS_ARB);
    environment(GL_OPERAND0_RGB_ARB, GL_SRC_COLOR);
    environment(GL_SOURCE1_RGB_ARB, GL_TEXTURE);
    environment(GL_OPERAND1_RGB_ARB, GL_SRC_COLOR);
}

void BumpShader::unapply() {
    disableUnits(1);
}

types::String BumpShader::getClassName() const {
    return object::classPath(TextureShader::getClassName(), ":BumpShader");
}

} // namespace orvane::graphics3d
