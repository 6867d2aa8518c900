#include "orvane/sample/Gui.h"

#include "orvane/graphics3d/state/Context.h"
#include "orvane/gui/InputFlags.h"

#include <cmath>
#include <numbers>

namespace orvane::sample {
namespace {

constexpr float PAN_PER_PIXEL = 0.1f;
constexpr float ZOOM_PER_PIXEL = 0.1f;

// Angles wrap by one turn once they leave -360 to 360, so that they never grow without
// bound yet 360 itself stays 360.
float wrapped(float degrees) {
    if (degrees > 360.0f)
        return degrees - 360.0f;
    if (degrees < -360.0f)
        return degrees + 360.0f;
    return degrees;
}

// The rotation of `degrees` about the unit axis (x, y, z) as a 3 x 3 block, row by row.
void rotation(float degrees, float x, float y, float z, float r[9]) {
    const float radians = degrees * (1.0f / 180.0f) * std::numbers::pi_v<float>;
    const float c = std::cos(radians), s = std::sin(radians), t = 1.0f - c;
    const float rows[9] = {t * x * x + c,     t * x * y - s * z, t * x * z + s * y,
                           t * x * y + s * z, t * y * y + c,     t * y * z - s * x,
                           t * x * z - s * y, t * y * z + s * x, t * z * z + c};
    for (int i = 0; i < 9; ++i)
        r[i] = rows[i];
}

// m = m x r for the upper-left 3 x 3 block of a 4 x 4 row-major matrix whose other
// entries are the identity's.
void multiplyRight(float m[16], const float r[9]) {
    float product[9];
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            product[row * 3 + column] = m[row * 4] * r[column] + m[row * 4 + 1] * r[3 + column] +
                                        m[row * 4 + 2] * r[6 + column];
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            m[row * 4 + column] = product[row * 3 + column];
}

} // namespace

Gui::Gui(graphics3d::Context* renderContext)
    : gui3d::Root(renderContext)
    , window(renderContext->window) {
    placement(panX, panY, zoom, angleA, angleB, modelMatrix);
}

void Gui::placement(float panX, float panY, float zoom, float angleA, float angleB,
                    float matrix[16]) {
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i)
        matrix[i] = identity[i];
    const float axis = 1.0f / std::sqrt(2.0f);
    float r[9];
    rotation(angleA, axis, axis, 0.0f, r);
    multiplyRight(matrix, r);
    rotation(angleB, 0.0f, 1.0f, 0.0f, r);
    multiplyRight(matrix, r);
    matrix[3] += panX;
    matrix[7] += panY;
    matrix[11] += zoom - DISTANCE;
}

bool Gui::mouseMove(Point point, std::uint32_t buttons) {
    if (gui3d::Root::mouseMove(point, buttons))
        return true;
    previousX = mouseX;
    previousY = mouseY;
    mouseX = point.x;
    mouseY = point.y;
    const float dy = mouseY - previousY;
    const float ex = previousX - mouseX;
    if (buttons & gui::LEFT_DOWN) {
        panX = panX - ex * PAN_PER_PIXEL;
        panY = panY - dy * PAN_PER_PIXEL;
    }
    if (buttons & gui::MIDDLE_DOWN) {
        angleA = wrapped(dy * 180.0f * 0.002f + angleA);
        angleB = wrapped(angleB - ex * 180.0f * 0.002f);
    }
    if (buttons & gui::RIGHT_DOWN)
        zoom = zoom - (dy + ex) * ZOOM_PER_PIXEL;
    placement(panX, panY, zoom, angleA, angleB, modelMatrix);
    if (buttons & (gui::LEFT_DOWN | gui::MIDDLE_DOWN | gui::RIGHT_DOWN))
        redraw();
    return true;
}

void Gui::redraw() {
    if (window)
        native::invalidateRect(window, nullptr, true);
}

types::String Gui::getClassName() const {
    return object::classPath(gui3d::Root::getClassName(), ":Gui");
}

} // namespace orvane::sample
