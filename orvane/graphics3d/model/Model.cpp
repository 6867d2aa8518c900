#include "orvane/graphics3d/model/Model.h"

namespace orvane::graphics3d {

void Model::update(std::uintptr_t, std::uintptr_t, std::uintptr_t) {}

bool Model::compileNow() {
    return false;
}

bool Model::compile() {
    if (compiled)
        return false;
    compiled = compileNow();
    return compiled;
}

types::String Model::getClassName() const {
    return object::classPath(Resource::getClassName(), ":Model");
}

} // namespace orvane::graphics3d
