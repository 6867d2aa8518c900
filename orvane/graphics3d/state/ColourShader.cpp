#include "orvane/graphics3d/state/ColourShader.h"

#include "orvane/graphics3d/state/StateStacks.h"

namespace orvane::graphics3d {

ColourShader::ColourShader()
    : Shader(ShaderStack::ARRAY_POSITION | ShaderStack::ARRAY_NORMAL) {
    textureUnits = 0;
}

types::String ColourShader::getClassName() const {
    return object::classPath(Shader::getClassName(), ":ColourShader");
}

} // namespace orvane::graphics3d
