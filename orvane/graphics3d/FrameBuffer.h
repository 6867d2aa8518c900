#pragma once

#include "orvane/native/Window.h"
#include "orvane/object/Object.h"

#include <cstdint>
#include <functional>

namespace orvane::graphics3d {

// The surface a render context draws into: a window (of an OpenGL view) or, for an
// offscreen context, a framebuffer object whose size its owner sets. Rectangles and
// positions count y downwards from the top edge; OpenGL's window coordinates start at the
// bottom, and the operations turn one into the other.
//
// Used on the thread whose context is current.
class FrameBuffer : public object::Object {
public:
    // For the context current on the calling thread: its window and the window's size
    // (0 x 0 without a window).
    FrameBuffer();

    // Resizes the window and reads back the size it took (a window may refuse), or has
    // the offscreen target resize itself; false when neither can.
    bool setSize(std::int32_t newWidth, std::int32_t newHeight);
    // Store the value only (the context keeps them up to date when made current).
    void setWidth(std::int32_t value) noexcept { width = value; }
    void setHeight(std::int32_t value) noexcept { height = value; }

    types::String getClassName() const override;

    std::int32_t width = 0;
    std::int32_t height = 0;
    native::WindowHandle window = nullptr;
    // For a frame buffer without a window: what gives the drawing target a new size (the
    // offscreen context's framebuffer object); it keeps width and height up to date.
    std::function<bool(std::int32_t, std::int32_t)> resizeTarget;
};

} // namespace orvane::graphics3d
