#include "orvane/graphics3d/Texture2D.h"

namespace orvane::graphics3d {

Texture2D::Texture2D(GLuint id)
    : Texture(id, GL_TEXTURE_2D) {
    gl.glBindTexture(GL_TEXTURE_2D, id);
    gl.glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    gl.glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
}

types::String Texture2D::getClassName() const {
    return object::classPath(Texture::getClassName(), ":Texture2D");
}

} // namespace orvane::graphics3d
