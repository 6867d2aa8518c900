#include "orvane/object/Class.h"

namespace orvane::object {

Class::Class(const Object& object)
    : name(object.getClassName()) {}

types::String Class::getName() const {
    return name;
}

types::String Class::toString() const {
    return name;
}

types::String Class::getClassName() const {
    return classPath(Object::getClassName(), ":Class");
}

} // namespace orvane::object
