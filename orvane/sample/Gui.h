#pragma once

#include "orvane/gui3d/Root.h"
#include "orvane/native/Window.h"

#include <cstdint>

namespace orvane::sample {

// The viewer's mouse control: the in-scene GUI root of the graphics view, which turns
// drags into the model's placement. The left button pans, the middle button rotates about
// the diagonal (1, 1, 0) and the y axis, the right button moves the model along z.
//
// Lives on the window's thread, like every root.
class Gui : public gui3d::Root {
public:
    // The model's distance from the eye before any zoom.
    static constexpr float DISTANCE = 400.0f;

    explicit Gui(graphics3d::Context* renderContext);

    // In-scene views first; whatever they leave moves the model and rebuilds the matrix.
    // The view is redrawn at once while a button is held. True.
    bool mouseMove(Point point, std::uint32_t buttons) override;

    // The matrix for a placement: the rotation of angleA degrees about (1, 1, 0)/sqrt(2),
    // then of angleB degrees about y, translated by (panX, panY, zoom - DISTANCE). Sixteen
    // floats, row by row, translation in elements 3, 7 and 11.
    static void placement(float panX, float panY, float zoom, float angleA, float angleB,
                          float matrix[16]);

    types::String getClassName() const override;

    float panX = 0;
    float panY = 0;
    float zoom = 0;
    // Degrees, kept within -360 to 360.
    float angleA = 0;
    float angleB = 0;
    float mouseX = 0;
    float mouseY = 0;
    float previousX = 0;
    float previousY = 0;
    // Row by row.
    float modelMatrix[16];

protected:
    // Marks the window of the render context for repainting (nothing offscreen).
    virtual void redraw();

private:
    native::WindowHandle window;
};

} // namespace orvane::sample
