#pragma once

#include "orvane/geometry/TriangleMesh3.h"
#include "orvane/object/Pointer.h"

#include <vector>

namespace orvane::sample {

// Where a model lies, and how the viewer places a model given on its command line in the
// sample jet's frame of reference: centred on the origin and scaled uniformly so that its
// bounding sphere has the jet's radius. The viewer's camera, light, near and far planes
// and pan and zoom steps were chosen for the jet, so they all suit every model placed so.
//
// Only the vertices that triangles use count: files carry stray vertices no face names
// (some as far out as 1e35), and vertices that are not finite are left out too.
class Framing {
public:
    // The radius measure() finds for the sample jet (the half-diagonal of the box around
    // its used vertices).
    static constexpr float SAMPLE_RADIUS = 276.83f;

    // Takes the used vertices of one mesh's triangles into account (the mesh is kept until
    // the framing is done with).
    void add(object::Pointer<geometry::TriangleMesh3<float>> triangles);

    // Whether any used, finite vertex was seen.
    bool isEmpty() const noexcept { return !found; }
    // The centre of the box around the used vertices.
    const float* centre() const noexcept { return middle; }
    // Half the box's diagonal: the radius of a sphere about centre() that holds every one.
    float radius() const noexcept;

    // The placement that centres the model and scales its sphere to SAMPLE_RADIUS, row by
    // row (translation in elements 3, 7 and 11); the identity for an empty model, and no
    // scaling for a model without extent.
    void fitToSample(float matrix[16]) const;
    // The scale fitToSample applies.
    float scale() const noexcept;
    // The farthest any used vertex lies from the origin once placed by `matrix` (a
    // uniform scale with a translation, as fitToSample makes; the identity for a model
    // drawn as it is): how near the eye a model may come, whichever way it is turned.
    float reach(const float matrix[16]) const;

private:
    std::vector<object::Pointer<geometry::TriangleMesh3<float>>> meshes;
    bool found = false;
    float low[3] = {0, 0, 0};
    float high[3] = {0, 0, 0};
    float middle[3] = {0, 0, 0};
};

} // namespace orvane::sample
