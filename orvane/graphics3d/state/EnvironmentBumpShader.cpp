#include "orvane/graphics3d/state/EnvironmentBumpShader.h"

#include "orvane/graphics3d/state/TextureUnits.h"

namespace orvane::graphics3d {

using namespace textureunits;

EnvironmentBumpShader::EnvironmentBumpShader() = default;

void EnvironmentBumpShader::apply() {
    select(0);
    gl.glEnable(GL_TEXTURE_2D);
    environment(GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
    environment(GL_COMBINE_RGB_ARB, GL_BUMP_ENVMAP_ATI);
    environment(GL_BUMP_TARGET_ATI, GL_TEXTURE1_ARB);
    select(1);
    gl.glEnable(GL_TEXTURE_2D);
    sphereMap();
}

void EnvironmentBumpShader::unapply() {
    disableUnits(2);
    sphereMapOff();
}

ShaderUndo EnvironmentBumpShader::undoRecord() const {
    return undoUnits(2, true);
}

types::String EnvironmentBumpShader::getClassName() const {
    return object::classPath(TextureShader::getClassName(), ":EnvironmentBumpShader");
}

} // namespace orvane::graphics3d
