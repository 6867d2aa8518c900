#include "orvane/graphics3d/Texture.h"

#include "orvane/graphics3d/Context.h"

namespace orvane::graphics3d {

Texture::Texture(GLuint id, GLenum target)
    : id(id)
    , target(target) {}

Texture::~Texture() {
    if (Context* context = Context::current())
        context->textureStack.forget(this);
}

types::String Texture::getClassName() const {
    return object::classPath(Resource::getClassName(), ":Texture");
}

} // namespace orvane::graphics3d
