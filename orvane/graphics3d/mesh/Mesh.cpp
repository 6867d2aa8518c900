#include "orvane/graphics3d/mesh/Mesh.h"

namespace orvane::graphics3d {

types::String Mesh::getClassName() const {
    return object::classPath(Resource::getClassName(), ":Mesh");
}

} // namespace orvane::graphics3d
