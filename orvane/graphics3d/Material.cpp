#include "orvane/graphics3d/Material.h"

#include "orvane/graphics3d/Context.h"

namespace orvane::graphics3d {

Material::~Material() {
    if (Context* context = Context::current())
        context->materialStack.deselect(this);
}

void Material::apply() {}

types::String Material::getClassName() const {
    return object::classPath(Resource::getClassName(), ":Material");
}

} // namespace orvane::graphics3d
