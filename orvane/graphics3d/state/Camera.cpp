#include "orvane/graphics3d/state/Camera.h"

#include "orvane/graphics3d/gl/GL.h"

#include <cmath>

namespace orvane::graphics3d {

bool Camera::projection(float rows[16]) const {
    if (width == 0.0f || height == 0.0f || far - near == 0.0f)
        return false;
    // The frustum with right = left + width and top = bottom + height, each term in the
    // order of operations the engine has always used, so results match bit for bit.
    const float inverseWidth = 1.0f / width;
    const float inverseHeight = 1.0f / height;
    const float depth = far - near;
    const float frustum[16] = {inverseWidth * near * 2.0f,
                               0.0f,
                               inverseWidth * (2.0f * left + width),
                               0.0f,
                               0.0f,
                               inverseHeight * near * 2.0f,
                               inverseHeight * (2.0f * bottom + height),
                               0.0f,
                               0.0f,
                               0.0f,
                               -(far + near) / depth,
                               (far * near * -2.0f) / depth,
                               0.0f,
                               0.0f,
                               -1.0f,
                               0.0f};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += matrix[4 * i + k] * frustum[4 * k + j];
            if (!std::isfinite(sum))
                return false;
            rows[4 * i + j] = sum;
        }
    }
    return true;
}

bool Camera::apply() {
    float rows[16];
    if (!projection(rows))
        return false;
    // The context's matrix-mode cache stays valid because the mode is put back.
    GLint previousMode = 0;
    gl.glGetIntegerv(GL_MATRIX_MODE, &previousMode);
    gl.glMatrixMode(GL_PROJECTION);
    gl.glLoadTransposeMatrixfARB(rows);
    gl.glMatrixMode(GLenum(previousMode));
    return true;
}

types::String Camera::getClassName() const {
    return object::classPath(Resource::getClassName(), ":Camera");
}

} // namespace orvane::graphics3d
