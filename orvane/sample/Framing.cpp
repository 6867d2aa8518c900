#include "orvane/sample/Framing.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace orvane::sample {
namespace {

using Triangles = geometry::TriangleMesh3<float>;

bool isFinite(const Triangles::Point& point) {
    return std::isfinite(point[0]) && std::isfinite(point[1]) && std::isfinite(point[2]);
}

// Calls visit(point) for every finite vertex a triangle uses, once for each use.
template <class Visit>
void forUsedVertices(const Triangles& triangles, Visit visit) {
    const auto& indices = triangles.indexArray();
    for (std::uint32_t i = 0; i < indices.count(); ++i) {
        const Triangles::Point& point = triangles.vertex(indices[i]);
        if (isFinite(point))
            visit(point);
    }
}

} // namespace

void Framing::add(object::Pointer<Triangles> triangles) {
    if (!triangles)
        return;
    forUsedVertices(*triangles, [&](const Triangles::Point& point) {
        for (int axis = 0; axis < 3; ++axis) {
            low[axis] = found ? std::min(low[axis], point[axis]) : point[axis];
            high[axis] = found ? std::max(high[axis], point[axis]) : point[axis];
        }
        found = true;
    });
    for (int axis = 0; axis < 3; ++axis)
        middle[axis] = low[axis] + (high[axis] - low[axis]) / 2;
    meshes.push_back(std::move(triangles));
}

float Framing::radius() const noexcept {
    const double x = high[0] - low[0], y = high[1] - low[1], z = high[2] - low[2];
    return float(std::sqrt(x * x + y * y + z * z) / 2);
}

float Framing::scale() const noexcept {
    const float r = radius();
    return r > 0 && std::isfinite(SAMPLE_RADIUS / r) ? SAMPLE_RADIUS / r : 1.0f;
}

void Framing::fitToSample(float matrix[16]) const {
    const float s = found ? scale() : 1.0f;
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::copy(identity, identity + 16, matrix);
    if (!found)
        return;
    for (int axis = 0; axis < 3; ++axis) {
        matrix[axis * 5] = s;
        matrix[axis * 4 + 3] = -s * middle[axis];
    }
}

float Framing::reach(const float matrix[16]) const {
    double farthest = 0;
    for (const auto& triangles : meshes)
        forUsedVertices(*triangles, [&](const Triangles::Point& point) {
            double squared = 0;
            for (int row = 0; row < 3; ++row) {
                const double placed = double(matrix[row * 4]) * point[0] +
                                      double(matrix[row * 4 + 1]) * point[1] +
                                      double(matrix[row * 4 + 2]) * point[2] + matrix[row * 4 + 3];
                squared += placed * placed;
            }
            farthest = std::max(farthest, squared);
        });
    return float(std::sqrt(farthest));
}

} // namespace orvane::sample
