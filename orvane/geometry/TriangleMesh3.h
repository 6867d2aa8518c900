#pragma once

#include "orvane/geometry/TriangleMesh.h"

namespace orvane::geometry {

// The three-dimensional triangle mesh, the type meshes export. It adds nothing to
// TriangleMesh<T, 3> and answers the same class name.
template <class T>
class TriangleMesh3 : public TriangleMesh<T, 3> {};

} // namespace orvane::geometry
