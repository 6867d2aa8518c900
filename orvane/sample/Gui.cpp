#include "orvane/sample/Gui.h"

#include "orvane/graphics3d/state/Context.h"
#include "orvane/gui/InputFlags.h"
#include "orvane/native/Messages.h"

#include <algorithm>
#include <cmath>
#include <limits>
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
    , zoomMinimum(-std::numeric_limits<float>::infinity())
    , zoomMaximum(std::numeric_limits<float>::infinity())
    , window(renderContext->window) {
    rebuild();
}

void Gui::rebuild() {
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
        zoom = std::clamp(zoom - (dy + ex) * ZOOM_PER_PIXEL, zoomMinimum, zoomMaximum);
    rebuild();
    if (buttons & (gui::LEFT_DOWN | gui::MIDDLE_DOWN | gui::RIGHT_DOWN))
        redraw();
    return true;
}

bool Gui::mouseWheel(float delta, std::uint32_t buttons) {
    if (gui3d::Root::mouseWheel(delta, buttons))
        return true;
    zoom = std::clamp(zoom + delta * ZOOM_PER_PIXEL, zoomMinimum, zoomMaximum);
    rebuild();
    redraw();
    return true;
}

bool Gui::commandOf(std::uint32_t key, Command& command) noexcept {
    switch (key) {
    case 'R':
    case native::VK_HOME:
    case native::VK_SPACE:
        command = Command::RESET;
        return true;
    case 'W':
        command = Command::WIREFRAME;
        return true;
    case 'L':
        command = Command::LIGHTING;
        return true;
    case 'T':
        command = Command::TEXTURES;
        return true;
    case 'B':
        command = Command::CULLING;
        return true;
    case 'S':
        command = Command::STATISTICS;
        return true;
    case 'P':
    case native::VK_F12:
        command = Command::SCREENSHOT;
        return true;
    case 'H':
    case native::VK_F1:
        command = Command::HELP;
        return true;
    case native::VK_NEXT:
    case native::VK_RIGHT:
        command = Command::NEXT_MODEL;
        return true;
    case native::VK_PRIOR:
    case native::VK_LEFT:
        command = Command::PREVIOUS_MODEL;
        return true;
    case 'Q':
    case native::VK_ESCAPE:
        command = Command::CLOSE;
        return true;
    default:
        return false;
    }
}

bool Gui::keyDown(std::uint32_t key) {
    Command command;
    if (!commandOf(key, command))
        return false;
    if (command == Command::RESET)
        reset();
    if (listener)
        listener->command(command);
    redraw();
    return true;
}

void Gui::setZoomLimits(float nearest, float farthest) {
    zoomMinimum = std::min(nearest, farthest);
    zoomMaximum = std::max(nearest, farthest);
    zoom = std::clamp(zoom, zoomMinimum, zoomMaximum);
    rebuild();
}

void Gui::limitZoomFor(float reach, float nearPlane, float farPlane) {
    // The model's centre lies DISTANCE - zoom in front of the eye.
    const float closest = DISTANCE - nearPlane - reach;
    const float farthest = DISTANCE + reach - farPlane;
    if (!(farthest <= closest))
        return;
    setZoomLimits(farthest, closest);
}

void Gui::reset() {
    panX = panY = 0;
    angleA = angleB = 0;
    zoom = std::clamp(0.0f, zoomMinimum, zoomMaximum);
    rebuild();
}

void Gui::turnTo(float newAngleA, float newAngleB) {
    angleA = newAngleA;
    angleB = newAngleB;
    rebuild();
}

void Gui::redraw() {
    if (window)
        native::invalidateRect(window, nullptr, true);
}

types::String Gui::getClassName() const {
    return object::classPath(gui3d::Root::getClassName(), ":Gui");
}

} // namespace orvane::sample
