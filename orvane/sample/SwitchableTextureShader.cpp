#include "orvane/sample/SwitchableTextureShader.h"

namespace orvane::sample {

void SwitchableTextureShader::apply() {
    textured = showTextures;
    if (textured)
        TextureShader::apply();
    else
        Shader::apply();
}

void SwitchableTextureShader::unapply() {
    if (textured)
        TextureShader::unapply();
    else
        Shader::unapply();
    textured = false;
}

graphics3d::ShaderUndo SwitchableTextureShader::undoRecord() const {
    return textured ? TextureShader::undoRecord() : Shader::undoRecord();
}

types::String SwitchableTextureShader::getClassName() const {
    return object::classPath(TextureShader::getClassName(), ":SwitchableTextureShader");
}

} // namespace orvane::sample
