#include "orvane/gui/Context.h"

namespace orvane::gui {

bool Context::setBrushColour(std::uint32_t colour) {
    brushColour = colour;
    return native::selectBrush(deviceContext, colour & 0x00FFFFFF);
}

bool Context::setPenColour(std::uint32_t colour) {
    penColour = colour;
    return native::selectPen(deviceContext, colour & 0x00FFFFFF, penWidth);
}

bool Context::setPenWidth(std::int32_t width) {
    penWidth = width;
    return native::selectPen(deviceContext, penColour & 0x00FFFFFF, width);
}

// The drawing context's transform takes x' = x·eM11 + y·eM21 + eDx, so the transform's
// x row (a, b, c) goes to eM11, eM21 and eDx, its y row (d, e, f) to eM12, eM22 and eDy:
// drawing then maps points exactly as the transform does, whatever its shape.
graphics::Transform<float> Context::getTransform() const {
    native::Xform x;
    if (!native::getWorldTransform(deviceContext, x))
        return graphics::Transform<float>();
    return graphics::Transform<float>(x.eM11, x.eM21, x.eDx, x.eM12, x.eM22, x.eDy);
}

bool Context::setTransform(const graphics::Transform<float>& t) {
    native::Xform x{t.a, t.d, t.b, t.e, t.c, t.f};
    return native::setWorldTransform(deviceContext, x);
}

bool Context::rectangle(const graphics::Rectangle<float>& area) {
    return native::rectangle(deviceContext, area.x, area.y, area.x + area.width,
                             area.y + area.height);
}

bool Context::fillRectangle(const graphics::Rectangle<float>& area) {
    return native::fillRectangle(deviceContext, area.x, area.y, area.x + area.width,
                                 area.y + area.height);
}

bool Context::line(graphics::Point<float> from, graphics::Point<float> to) {
    return native::moveTo(deviceContext, from.x, from.y) &&
           native::lineTo(deviceContext, to.x, to.y);
}

types::String Context::getClassName() const {
    return object::classPath(Object::getClassName(), ":Context");
}

} // namespace orvane::gui
