#include "orvane/graphics3d/Mode.h"

#include "orvane/graphics3d/Context.h"

namespace orvane::graphics3d {

Mode::~Mode() {
    if (Context* context = Context::current())
        context->modeStack.forget(this);
}

void Mode::apply() {}

void Mode::unapply() {}

types::String Mode::getClassName() const {
    return object::classPath(Resource::getClassName(), ":Mode");
}

} // namespace orvane::graphics3d
