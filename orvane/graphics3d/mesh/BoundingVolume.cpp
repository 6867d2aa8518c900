#include "orvane/graphics3d/mesh/BoundingVolume.h"

namespace orvane::graphics3d {

void BoundingVolume::unite(const BoundingVolume& other) noexcept {
    if (other.isEmpty())
        return;
    if (isEmpty()) {
        *this = other;
        return;
    }
    for (int axis = 0; axis < 3; ++axis) {
        if (other.minimum[axis] < minimum[axis])
            minimum[axis] = other.minimum[axis];
        if (other.maximum[axis] > maximum[axis])
            maximum[axis] = other.maximum[axis];
    }
}

} // namespace orvane::graphics3d
