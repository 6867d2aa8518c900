#include "orvane/object/Object.h"

#include "orvane/object/Class.h"

namespace orvane::object {

Object::~Object() = default;

types::String Object::getName() const { return getClass().getName(); }

types::String Object::toString() const { return getClass().getName(); }

bool Object::check() const { return true; }

types::String Object::getClassName() const { return "Object"; }

void Object::release() const noexcept {
    if (referenceCount.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete this;
}

Class Object::getClass() const { return Class(*this); }

types::String classPath(types::String parentPath, const char* shortName) {
    parentPath.append(shortName);
    return parentPath;
}

} // namespace orvane::object
