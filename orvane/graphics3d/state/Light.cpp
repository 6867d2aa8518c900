#include "orvane/graphics3d/state/Light.h"

#include "orvane/graphics3d/state/Context.h"

namespace orvane::graphics3d {

Light::~Light() {
    if (Context* context = Context::current())
        context->lightStack.forget(this);
}

types::String Light::getClassName() const {
    return object::classPath(Resource::getClassName(), ":Light");
}

} // namespace orvane::graphics3d
