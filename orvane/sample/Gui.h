#pragma once

#include "orvane/gui3d/Root.h"
#include "orvane/native/Window.h"

#include <cstdint>

namespace orvane::sample {

// The viewer's mouse and keyboard control: the in-scene GUI root of the graphics view,
// which turns drags into the model's placement. The left button pans, the middle button
// rotates about the diagonal (1, 1, 0) and the y axis, the right button and the wheel move
// the model along z. Keys switch how the frame is drawn and ask the view for what only it
// can do (its Listener); keys the viewer does not use change nothing.
//
// Lives on the window's thread, like every root.
class Gui : public gui3d::Root {
public:
    // The model's distance from the eye before any zoom.
    static constexpr float DISTANCE = 400.0f;

    // What the keys ask of the view beyond the placement.
    enum class Command {
        RESET,          // r, Home, Space: the placement went back to its start
        WIREFRAME,      // w
        LIGHTING,       // l
        TEXTURES,       // t
        CULLING,        // b
        STATISTICS,     // s
        SCREENSHOT,     // p, F12
        HELP,           // h, F1
        CLOSE,          // q, Escape
        NEXT_MODEL,     // Page Down, Right
        PREVIOUS_MODEL, // Page Up, Left
    };
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void command(Command command) = 0;
    };

    explicit Gui(graphics3d::Context* renderContext);

    // In-scene views first; whatever they leave moves the model and rebuilds the matrix.
    // The view is redrawn at once while a button is held. True.
    bool mouseMove(Point point, std::uint32_t buttons) override;
    // A notch (120 away from the user) moves the model as far as a right drag of 120
    // pixels up: 12 units nearer. True.
    bool mouseWheel(float delta, std::uint32_t buttons) override;
    // The viewer's keys (above); false for any other.
    bool keyDown(std::uint32_t key) override;
    // The command a key gives, if it gives one.
    static bool commandOf(std::uint32_t key, Command& command) noexcept;

    // Keeps the zoom between the two values from now on (and moves it inside at once).
    void setZoomLimits(float nearest, float farthest);
    // Zoom limits that keep a model reaching `reach` units from its centre wholly between
    // the planes `nearPlane` and `farPlane` in front of the eye; none when it cannot fit.
    void limitZoomFor(float reach, float nearPlane, float farPlane);
    // Pan, rotation and zoom back to their start.
    void reset();
    // Turns the model to the two angles (degrees, as the middle button turns it).
    void turnTo(float newAngleA, float newAngleB);
    void setListener(Listener* newListener) noexcept { listener = newListener; }

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

    // Zoom within these (initially unbounded).
    float zoomMinimum;
    float zoomMaximum;

protected:
    // Marks the window of the render context for repainting (nothing offscreen).
    virtual void redraw();

private:
    void rebuild();

    native::WindowHandle window;
    Listener* listener = nullptr;
};

} // namespace orvane::sample
