#pragma once

#include "orvane/graphics/Geometry.h"
#include "orvane/native/Window.h"
#include "orvane/object/Object.h"

#include <cstdint>
#include <functional>

namespace orvane::graphics {
class Image;
}

namespace orvane::graphics3d {

class Texture2D;

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
    using Position = graphics::Point<std::int32_t>;
    using Area = graphics::Rectangle<std::int32_t>;

    // Copies the frame-buffer rectangle into level `level` of the texture with its top-left
    // corner at `position` (counted from the texture's top). Binds the texture on unit 0
    // and puts the previous binding back; the texture stack is not told.
    void copyToTexture(Texture2D& texture, std::int32_t level, Position position,
                       const Area& rectangle);
    // Reads the frame-buffer rectangle into the image, upright, with its top-left corner
    // at `position` of the image. Images of 24-bit RGB or BGR and 32-bit RGBA or BGRA
    // only (an 8-bit palette image has no colour indices to read from an RGBA frame
    // buffer); false, reading nothing, for any other format and for a rectangle that does
    // not fit into the image at the position.
    bool readPixels(graphics::Image& image, Position position, const Area& rectangle);
    // Draws the part of the image whose top-left corner is `position` (rectangle's size)
    // into the frame-buffer rectangle, upright: loads a projection under which the raster
    // position is a pixel of the frame buffer (the viewport's), then restores the
    // matrices, the matrix mode and the pixel-transfer settings it changed. The formats
    // of readPixels; false, drawing nothing, for others or a part outside the image.
    bool drawPixels(graphics::Image& image, Position position, const Area& rectangle);

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
