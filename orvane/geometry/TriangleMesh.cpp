#include "orvane/geometry/TriangleMesh.h"

#include "orvane/geometry/TriangleMesh3.h"

namespace orvane::geometry {

// The instances meshes export, compiled once here.
template class TriangleMesh<float, 3>;
template class TriangleMesh3<float>;

} // namespace orvane::geometry
