#pragma once

#include "orvane/graphics3d/state/Resource.h"

namespace orvane::graphics3d {

// A perspective frustum (near and far distances, the rectangle of the near plane) and a
// 4 x 4 matrix; applying the camera loads their product into OpenGL's projection matrix.
// Plain data: users set the fields directly and apply the camera whenever the frustum
// changes. No state stack caches it.
class Camera : public Resource {
public:
    Camera() = default;

    // Loads matrix x frustum into the projection matrix, computed in single precision,
    // and leaves the matrix mode as it found it. A camera whose width, height or depth
    // (far - near) is zero, or whose fields give any infinite or NaN entry, is refused:
    // the projection is left alone and the answer is false.
    virtual bool apply();

    // The projection apply() loads, row by row; false when it is refused.
    bool projection(float rows[16]) const;

    types::String getClassName() const override;

    float near = 10.0f;
    float far = 100.0f;
    float left = -10.0f;
    float bottom = -10.0f;
    float width = 20.0f;
    float height = 20.0f;
    // Row by row.
    float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

} // namespace orvane::graphics3d
