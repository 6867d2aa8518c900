#include "orvane/gui3d/View.h"

namespace orvane::gui3d {

View::View(const Rectangle& area)
    : frame(area)
    , bounds{0, 0, area.width, area.height} {
    updateTransform();
}

bool View::activated() {
    return true;
}
bool View::deactivated() {
    return true;
}
bool View::attached() {
    return true;
}
bool View::detached() {
    return true;
}
bool View::paint() {
    return true;
}
bool View::resized(graphics::Size<float>) {
    return true;
}
View::Rectangle View::frameRect() const {
    return frame;
}
bool View::refresh() {
    return true;
}
bool View::focusGained() {
    return true;
}
bool View::focusLost() {
    return true;
}
bool View::keyDown(std::uint32_t) {
    return false;
}
bool View::keyUp(std::uint32_t) {
    return false;
}
bool View::character(std::uint32_t, std::uint32_t) {
    return false;
}
bool View::mouseMove(Point, std::uint32_t) {
    return false;
}
bool View::mouseButton(Point, std::uint32_t) {
    return false;
}
bool View::mouseEnter(Point, std::uint32_t) {
    return false;
}
bool View::mouseLeave() {
    return false;
}

void View::updateTransform() {
    graphics::Transform<float> local = transform.translated(frame.x, frame.y);
    worldTransform = parent ? parent->worldTransform * local : local;
}

void View::recomputeBounds() {
    bounds = transform.inverse().map(Rectangle{0, 0, frame.width, frame.height});
}

void View::setFrame(const Rectangle& area) {
    frame = area;
    recomputeBounds();
    updateTransform();
    resized(frame.size());
}

void View::setTransform(const graphics::Transform<float>& newTransform) {
    transform = newTransform;
    recomputeBounds();
    updateTransform();
}

bool View::contains(Point p) const noexcept {
    return p.x >= frame.x && p.x < frame.x + frame.width && p.y >= frame.y &&
           p.y < frame.y + frame.height;
}

bool View::toLocal(Point p, Point& local) const noexcept {
    const graphics::Transform<float>& t = transform;
    const float determinant = t.a * t.e - t.d * t.b;
    if (determinant == 0)
        return false;
    // Undo the frame's offset and the translation, then the linear part (its full
    // inverse: rotated and sheared views get their true local point).
    const float x = p.x - frame.x - t.c, y = p.y - frame.y - t.f;
    local = {(t.e * x - t.b * y) / determinant, (t.a * y - t.d * x) / determinant};
    return true;
}

types::String View::getName() const {
    return name;
}

types::String View::getClassName() const {
    return object::classPath(Handler::getClassName(), ":View");
}

} // namespace orvane::gui3d
