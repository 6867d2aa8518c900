#pragma once

#include "orvane/application/Handler.h"
#include "orvane/container/Chain.h"
#include "orvane/graphics/Geometry.h"
#include "orvane/graphics/Transform.h"
#include "orvane/types/String.h"

#include <cstdint>

namespace orvane::gui3d {

class Context;
class Root;

// A flat view drawn with OpenGL over the scene of a Root's window, receiving the input
// the root routes to it. Views are handlers of their root, so they live on the root's
// (the window's) thread.
//
// Geometry: `frame` places the view in its parent's coordinates (window pixels for a
// top-level view); `transform` maps the view's local units to pixels and `bounds` is the
// view's area in local units; `worldTransform` maps local units to window pixels.
//
// Every input operation answers whether the view consumed the event; by default none
// does. Every notification answers true by default.
class View : public application::Handler, public container::Chainable<View> {
public:
    using Point = graphics::Point<float>;
    using Rectangle = graphics::Rectangle<float>;

    // Resizing with the root (`anchors`): bits 0 and 1 horizontally, 4 and 5 vertically.
    // Both bits of a pair: the view stretches by the root's change; only the second (right
    // or bottom): it moves by it; otherwise it stays as it is.
    static constexpr std::uint32_t ANCHOR_LEFT = 0x01;
    static constexpr std::uint32_t ANCHOR_RIGHT = 0x02;
    static constexpr std::uint32_t ANCHOR_TOP = 0x10;
    static constexpr std::uint32_t ANCHOR_BOTTOM = 0x20;

    // Frame = area, bounds (0, 0, width, height), identity transform.
    explicit View(const Rectangle& area);

    // Broadcast to every view by the root (Root::activate, Root::deactivate).
    virtual bool activated();
    virtual bool deactivated();
    // The view joined / is leaving a root (root and painter set / still set).
    virtual bool attached();
    virtual bool detached();
    // Draws the view with `painter`, whose transform maps local units to window pixels.
    virtual bool paint();
    virtual bool resized(graphics::Size<float> size);
    virtual Rectangle frameRect() const;
    // Asked of nobody in the engine; kept as the view's extension point.
    virtual bool refresh();
    virtual bool focusGained();
    virtual bool focusLost();
    virtual bool keyDown(std::uint32_t key);
    virtual bool keyUp(std::uint32_t key);
    virtual bool character(std::uint32_t key, std::uint32_t modifiers);
    // Points are in the view's local units.
    virtual bool mouseMove(Point point, std::uint32_t buttons);
    virtual bool mouseButton(Point point, std::uint32_t buttons);
    virtual bool mouseEnter(Point point, std::uint32_t buttons);
    virtual bool mouseLeave();
    // worldTransform = parent's worldTransform × (transform moved by the frame position).
    virtual void updateTransform();

    // Stores the frame, recomputes bounds and worldTransform, then calls resized.
    void setFrame(const Rectangle& area);
    // Stores the transform, recomputes bounds and worldTransform.
    void setTransform(const graphics::Transform<float>& newTransform);

    // Whether a point of the parent's coordinates lies on the view's frame: left and top
    // edges inside, right and bottom edges outside, so neighbours never share a pixel.
    bool contains(Point point) const noexcept;
    // The point of the parent's coordinates in the view's local units, through the inverse
    // of the transform placed at the frame; false (point untouched) when the transform
    // cannot be inverted.
    bool toLocal(Point point, Point& local) const noexcept;

    Root* getRoot() const noexcept { return root; }

    types::String getName() const override;
    types::String getClassName() const override;

    Root* root = nullptr;
    Context* painter = nullptr;
    View* parent = nullptr;
    types::String name;
    Rectangle frame;
    std::uint32_t anchors = 0;
    Rectangle bounds;
    graphics::Transform<float> transform;
    graphics::Transform<float> worldTransform;

private:
    void recomputeBounds();
};

} // namespace orvane::gui3d
