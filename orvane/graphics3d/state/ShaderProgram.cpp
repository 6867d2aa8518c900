#include "orvane/graphics3d/state/ShaderProgram.h"

#include "orvane/graphics3d/state/Context.h"

namespace orvane::graphics3d {

ShaderProgram::~ShaderProgram() {
    Context::forEachOnThisThread([this](Context& context) {
        if (context.shaderStack.programA == this)
            context.shaderStack.programA = nullptr;
        if (context.shaderStack.programB == this)
            context.shaderStack.programB = nullptr;
    });
}

types::String ShaderProgram::getClassName() const {
    return object::classPath(Object::getClassName(), ":ShaderProgram");
}

} // namespace orvane::graphics3d
