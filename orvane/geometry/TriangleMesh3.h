#pragma once

#include "orvane/geometry/TriangleMesh.h"

#include <memory>

namespace orvane::geometry {

// The three-dimensional triangle mesh, the type meshes export. It adds nothing to
// TriangleMesh<T, 3> and answers the same class name.
template <class T>
class TriangleMesh3 : public TriangleMesh<T, 3> {};

// Holds a mesh being built; release() hands its creation reference to the caller.
struct ReleaseObject {
    void operator()(const object::Object* object) const noexcept { object->release(); }
};
template <class T>
using TriangleMesh3Holder = std::unique_ptr<TriangleMesh3<T>, ReleaseObject>;

} // namespace orvane::geometry
