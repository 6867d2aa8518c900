#pragma once

#include "orvane/application/Handler.h"
#include "orvane/container/Chain.h"
#include "orvane/graphics/Geometry.h"
#include "orvane/graphics/Transform.h"
#include "orvane/gui/Context.h"
#include "orvane/native/Window.h"

#include <atomic>
#include <cstdint>

namespace orvane::gui {

class Window;

// A rectangular child area of a window with a native child window of its own, its own
// events and a 2D transform. Views are handlers of their window's looper, so everything
// they do runs on the window's thread; change a view from elsewhere only before its
// window opens (or through Window::invoke).
//
// Geometry: `position` and `size` place the view in its parent's client coordinates;
// `transform` maps the view's local units to pixels, and `bounds` is the view's pixel
// rectangle (0, 0, width, height) expressed in local units. `worldTransform` maps local
// units to the parent window's client pixels.
class View : public application::Handler, public container::Chainable<View> {
public:
    // Layout flags (`anchors`): what a change of the window's client size does.
    static constexpr std::uint32_t ANCHOR_LEFT = 0x01;   // x stays
    static constexpr std::uint32_t ANCHOR_RIGHT = 0x02;  // alone: x follows; with left: width grows
    static constexpr std::uint32_t ANCHOR_TOP = 0x10;    // y stays
    static constexpr std::uint32_t ANCHOR_BOTTOM = 0x20; // alone: y follows; with top: height grows

    static constexpr const char* CLASS_NAME = "orvane::gui::view::class";

    explicit View(const graphics::Rectangle<float>& area);
    // Destroys its child window if it still has one.
    ~View() override;

    virtual graphics::Size<float> getSize() const;
    // Asked of nobody in the engine; kept as the view's extension point. True.
    virtual bool refresh();
    virtual bool paint(Context& context, const graphics::Rectangle<float>& area);
    // Creates the native child window inside the parent view's or the window's native
    // window; false when there is no such window or creation fails.
    virtual bool attach();
    // Destroys the native child window; false when there is none.
    virtual bool detach();
    virtual bool activated();
    virtual bool deactivated();
    virtual bool resized(graphics::Size<float> size);
    virtual bool focusGained();
    virtual bool focusLost();
    virtual bool keyDown(std::uint32_t key);
    virtual bool keyUp(std::uint32_t key);
    virtual bool character(std::uint32_t key, std::uint32_t modifiers);
    virtual bool mouseMoved(graphics::Point<float> point, std::uint32_t flags);
    virtual bool mouseButton(graphics::Point<float> point, std::uint32_t flags);
    virtual bool mouseEntered(graphics::Point<float> point, std::uint32_t flags);
    virtual bool mouseLeft();
    // The only event whose default answer is false (not handled).
    virtual bool mouseWheel(float delta, std::uint32_t flags);
    // worldTransform = parent's worldTransform × (transform moved by position).
    virtual void updateTransform();

    // Marks the whole child window for repainting; false without one. Any thread.
    bool invalidate();
    bool setGeometry(const graphics::Rectangle<float>& area);
    bool setPosition(graphics::Point<float> point);
    bool setSize(graphics::Size<float> size);
    // The linear part of `transform` becomes diag(x, y); its translation stays.
    bool setScale(float x, float y);

    Window* getWindow() const noexcept { return window; }
    View* getParent() const noexcept { return parent; }

    types::String getName() const override;
    types::String getClassName() const override;

    // The view class's procedure; a view that replaces its child window's procedure
    // passes on what it leaves alone to this one.
    static std::intptr_t viewProcedure(native::WindowHandle handle, std::uint32_t message,
                                       std::uintptr_t wParam, std::intptr_t lParam);

    Window* window = nullptr; // set by the window that holds the view
    View* parent = nullptr;
    Context context;
    graphics::Rectangle<float> bounds;
    graphics::Point<float> position;
    graphics::Size<float> size;
    std::uint32_t anchors = 0;
    types::String name;
    graphics::Transform<float> transform;
    graphics::Transform<float> worldTransform;
    // Read by other threads that invalidate the view (a redraw ticker).
    std::atomic<native::WindowHandle> nativeWindow{nullptr};
    native::DeviceContextHandle deviceContext = nullptr;
    bool mouseInside = false;

protected:
    // The visual the child window is created with; the parent's by default. A view that
    // renders with OpenGL answers the visual of its frame-buffer configuration.
    virtual native::VisualChoice childVisual();
    // The child window's rectangle in the parent's client pixels.
    graphics::Rectangle<float> childRectangle() const;

private:
    void recomputeBounds();
    void moveChildWindow();
};

} // namespace orvane::gui
