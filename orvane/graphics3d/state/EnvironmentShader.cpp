#include "orvane/graphics3d/state/EnvironmentShader.h"

#include "orvane/graphics3d/state/StateStacks.h"
#include "orvane/graphics3d/state/TextureUnits.h"

namespace orvane::graphics3d {

using namespace textureunits;

EnvironmentShader::EnvironmentShader()
    : TextureShader(ShaderStack::ARRAY_POSITION | ShaderStack::ARRAY_NORMAL) {}

void EnvironmentShader::apply() {
    select(0);
    gl.glEnable(GL_TEXTURE_2D);
    environment(GL_TEXTURE_ENV_MODE, GL_MODULATE);
    sphereMap();
}

void EnvironmentShader::unapply() {
    disableUnits(1);
    sphereMapOff();
}

ShaderUndo EnvironmentShader::undoRecord() const {
    return undoUnits(1, true);
}

types::String EnvironmentShader::getClassName() const {
    return object::classPath(TextureShader::getClassName(), ":EnvironmentShader");
}

} // namespace orvane::graphics3d
