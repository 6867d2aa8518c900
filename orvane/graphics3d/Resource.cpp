#include "orvane/graphics3d/Resource.h"

namespace orvane::graphics3d {

types::String Resource::getName() const {
    return name;
}

types::String Resource::getClassName() const {
    return object::classPath(Object::getClassName(), ":Resource");
}

} // namespace orvane::graphics3d
