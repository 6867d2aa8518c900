#include "orvane/graphics3d/Shader.h"

#include "orvane/graphics3d/Context.h"

namespace orvane::graphics3d {

Shader::Shader(std::uint32_t arrays)
    : arrays(arrays)
    , arrayMask(arrays) {}

Shader::~Shader() {
    if (Context* context = Context::current())
        context->shaderStack.forget(this);
}

void Shader::apply() {}

void Shader::unapply() {}

void Shader::setClientArrays() {
    if (Context* context = Context::current())
        context->shaderStack.setClientArrays(arrayMask);
}

types::String Shader::getClassName() const {
    return object::classPath(Resource::getClassName(), ":Shader");
}

} // namespace orvane::graphics3d
