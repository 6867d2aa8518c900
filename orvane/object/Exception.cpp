#include "orvane/object/Exception.h"

namespace orvane::object {

types::String Exception::getName() const {
    return "Exception";
}

types::String Exception::toString() const {
    return message;
}

types::String Exception::getClassName() const {
    return classPath(Object::getClassName(), ":Exception");
}

} // namespace orvane::object
