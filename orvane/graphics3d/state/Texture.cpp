#include "orvane/graphics3d/state/Texture.h"

#include "orvane/graphics3d/state/Context.h"
#include "orvane/graphics3d/state/RenderCalls.h"
#include "orvane/graphics3d/state/TextureUpload.h"

namespace orvane::graphics3d {
namespace {

GLenum bindingQuery(GLenum target) {
    switch (target) {
    case GL_TEXTURE_1D:
        return GL_TEXTURE_BINDING_1D;
    case GL_TEXTURE_3D_EXT:
        return GL_TEXTURE_BINDING_3D;
    case GL_TEXTURE_CUBE_MAP_ARB:
        return GL_TEXTURE_BINDING_CUBE_MAP_ARB;
    case GL_TEXTURE_RECTANGLE_ARB:
        return GL_TEXTURE_BINDING_RECTANGLE_ARB;
    default:
        return GL_TEXTURE_BINDING_2D;
    }
}

void forgetUnits() {
    if (Context* context = Context::current())
        for (int unit = 0; unit < TextureStack::UNITS; ++unit)
            context->textureStack.forget(unit);
}

} // namespace

Texture::Texture(GLuint id, GLenum target)
    : id(id)
    , target(target) {
    bindDirectly();
    GLint internal = 0;
    gl.glGetTexLevelParameteriv(target, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
    format = textureupload::imageFormatOf(internal);
    gl.glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GLint(minFilter));
    gl.glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GLint(magFilter));
    gl.glTexParameteri(target, GL_TEXTURE_WRAP_S, GLint(wrapS));
    gl.glTexParameteri(target, GL_TEXTURE_WRAP_T, GLint(wrapT));
    gl.glTexParameteri(target, GL_TEXTURE_WRAP_R, GLint(wrapR));
    gl.glBindTexture(target, 0);
}

Texture::~Texture() {
    Context::forEachOnThisThread([this](Context& context) { context.textureStack.forget(this); });
}

void Texture::setFilter(GLenum min, GLenum mag) {
    minFilter = min;
    magFilter = mag;
    GLint previous = 0;
    gl.glGetIntegerv(bindingQuery(target), &previous);
    gl.glBindTexture(target, id);
    gl.glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GLint(min));
    gl.glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GLint(mag));
    gl.glBindTexture(target, GLuint(previous));
}

void Texture::setWrap(GLenum s, GLenum t) {
    wrapS = s;
    wrapT = t;
    GLint previous = 0;
    gl.glGetIntegerv(bindingQuery(target), &previous);
    gl.glBindTexture(target, id);
    gl.glTexParameteri(target, GL_TEXTURE_WRAP_S, GLint(s));
    gl.glTexParameteri(target, GL_TEXTURE_WRAP_T, GLint(t));
    gl.glBindTexture(target, GLuint(previous));
}

void Texture::bindDirectly() const {
    gl.glBindTexture(target, id);
    forgetUnits();
}

void Texture::emitBind(system::Assembler& assembler, int unit) {
    assembler.callThisOn1(&renderCalls::bindTextureAlways, static_cast<Texture*>(this), unit);
}

types::String Texture::getClassName() const {
    return object::classPath(Resource::getClassName(), ":Texture");
}

} // namespace orvane::graphics3d
