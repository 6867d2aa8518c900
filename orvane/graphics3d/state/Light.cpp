#include "orvane/graphics3d/state/Light.h"

#include "orvane/graphics3d/state/Context.h"

namespace orvane::graphics3d {

Light::~Light() {
    const Context* current = Context::current();
    Context::forEachOnThisThread([this, current](Context& context) {
        context.lightStack.forget(this, &context == current);
    });
}

types::String Light::getClassName() const {
    return object::classPath(Resource::getClassName(), ":Light");
}

} // namespace orvane::graphics3d
