#include "orvane/graphics3d/state/TextureEnvironmentBumpShader.h"

#include "orvane/graphics3d/state/StateStacks.h"
#include "orvane/graphics3d/state/TextureUnits.h"

namespace orvane::graphics3d {

using namespace textureunits;

namespace {

// What every one of the three units gets before its own settings.
void combineWithTexture(int unit) {
    select(unit);
    gl.glEnable(GL_TEXTURE_2D);
    environment(GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
    environment(GL_SOURCE0_RGB_ARB, GL_TEXTURE);
}

} // namespace

TextureEnvironmentBumpShader::TextureEnvironmentBumpShader()
    : TextureShader(ShaderStack::ARRAY_POSITION | ShaderStack::ARRAY_NORMAL |
                    ShaderStack::ARRAY_TEXCOORD0 | ShaderStack::ARRAY_TEXCOORD0 << 1) {}

void TextureEnvironmentBumpShader::apply() {
    combineWithTexture(0);
    environment(GL_COMBINE_RGB_ARB, GL_MODULATE);
    environment(GL_SOURCE1_RGB_ARB, GL_PREVIOUS_ARB);
    combineWithTexture(1);
    environment(GL_COMBINE_RGB_ARB, GL_BUMP_ENVMAP_ATI);
    environment(GL_SOURCE1_RGB_ARB, GL_TEXTURE);
    environment(GL_BUMP_TARGET_ATI, GL_TEXTURE2_ARB);
    combineWithTexture(2);
    environment(GL_COMBINE_RGB_ARB, GL_ADD);
    environment(GL_SOURCE1_RGB_ARB, GL_PREVIOUS_ARB);
    sphereMap();
}

void TextureEnvironmentBumpShader::unapply() {
    disableUnits(3);
    sphereMapOff();
}

ShaderUndo TextureEnvironmentBumpShader::undoRecord() const {
    return undoUnits(3, true);
}

types::String TextureEnvironmentBumpShader::getClassName() const {
    return object::classPath(TextureShader::getClassName(), ":TextureEnvironmentBumpShader");
}

} // namespace orvane::graphics3d
