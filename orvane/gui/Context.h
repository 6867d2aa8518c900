#pragma once

#include "orvane/graphics/Geometry.h"
#include "orvane/graphics/Transform.h"
#include "orvane/native/DrawingContext.h"
#include "orvane/object/Object.h"

#include <cstdint>

namespace orvane::gui {

// The drawing state of one native window, handed to paint operations: its window and
// drawing-context handles, the colours and width of the current brush and pen, and the
// world transform applied to everything drawn. Colours are 32-bit with the bytes red,
// green, blue and alpha from the lowest up (alpha is ignored). Used on the window's thread.
class Context : public object::Object {
public:
    Context() noexcept = default;

    // Selects a solid brush of the colour (for filled areas).
    bool setBrushColour(std::uint32_t colour);
    // Select a solid pen of the current colour and width (for lines and outlines).
    bool setPenColour(std::uint32_t colour);
    bool setPenWidth(std::int32_t width);

    // The world transform; drawing maps every point p to t.map(p).
    graphics::Transform<float> getTransform() const;
    bool setTransform(const graphics::Transform<float>& transform);

    // Shapes in world coordinates: the rectangle is filled with the brush and outlined
    // with the pen; fillRectangle only fills; line uses the pen.
    bool rectangle(const graphics::Rectangle<float>& area);
    bool fillRectangle(const graphics::Rectangle<float>& area);
    bool line(graphics::Point<float> from, graphics::Point<float> to);

    types::String getClassName() const override;

    native::WindowHandle window = nullptr;
    native::DeviceContextHandle deviceContext = nullptr;
    std::uint32_t brushColour = 0x00FFFFFF;
    std::uint32_t penColour = 0;
    std::int32_t penWidth = 1;
};

} // namespace orvane::gui
