#include "orvane/graphics3d/state/TextureShader.h"

#include "orvane/graphics3d/state/StateStacks.h"
#include "orvane/graphics3d/state/TextureUnits.h"

namespace orvane::graphics3d {

using namespace textureunits;

TextureShader::TextureShader()
    : TextureShader(ShaderStack::ARRAY_POSITION | ShaderStack::ARRAY_NORMAL |
                    ShaderStack::ARRAY_TEXCOORD0) {}

TextureShader::TextureShader(std::uint32_t arrays)
    : Shader(arrays) {}

void TextureShader::apply() {
    select(0);
    gl.glEnable(GL_TEXTURE_2D);
    environment(GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void TextureShader::unapply() {
    textureunits::disableUnits(1);
}

ShaderUndo TextureShader::undoRecord() const {
    return textureunits::undoUnits(1, false);
}

types::String TextureShader::getClassName() const {
    return object::classPath(Shader::getClassName(), ":TextureShader");
}

} // namespace orvane::graphics3d
