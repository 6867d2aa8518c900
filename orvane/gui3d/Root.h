#pragma once

#include "orvane/application/MessageQueue.h"
#include "orvane/application/Messenger.h"
#include "orvane/container/Array.h"
#include "orvane/container/Chain.h"
#include "orvane/graphics/Geometry.h"
#include "orvane/gui3d/Context.h"
#include "orvane/gui3d/View.h"
#include "orvane/native/Window.h"
#include "orvane/object/Pointer.h"
#include "orvane/system/Mutex.h"

#include <cstdint>

namespace orvane::gui3d {

// The in-scene GUI of one OpenGL window: holds the top-level views drawn over the scene,
// paints them with its painter and routes the window's input to them.
//
// The root takes over the window procedure of its render context's window (the OpenGL
// view's child window) and turns the input messages into calls of its handlers: keys go
// to the focus view or to the root's own handler (key repeats are dropped), mouse events
// are offered to the views under the pointer, in the order they were added, in their
// local coordinates. While events are disabled (the state after construction) every
// message goes on to the window's previous procedure untouched, except WM_SIZE, which the
// root always follows for its anchored views. WM_DESTROY is answered and not passed on.
//
// The root is a messenger bound to the thread that builds it (the window's thread): sends
// from that thread are delivered at once. Messages from other threads are kept in the
// root's own queue, which nothing takes from, and released when the root dies.
//
// Lives on the window's thread; destroy it there, before or after its window (a window
// destroyed first is simply no longer touched).
class Root : public application::Messenger {
public:
    using Point = graphics::Point<float>;

    // Builds the painter on the render context, takes over the procedure of the context's
    // window (none for an offscreen context) and is sized after its frame buffer.
    explicit Root(graphics3d::Context* renderContext);
    // Clears focus and hover, removes every view, gives the window its procedure back and
    // releases every message still queued.
    ~Root() override;

    bool enqueueFront(application::Message* message) override;
    bool enqueue(application::Message* message) override;
    bool servesWindows() const override { return false; }

    // The window's client area is `size` now: anchored top-level views follow the change
    // since the last pass.
    virtual bool resize(graphics::Size<float> size);
    // Broadcast the views' activated / deactivated notifications.
    virtual bool activate();
    virtual bool deactivate();
    // Keys nobody has focus for; handled (true) by default.
    virtual bool keyDown(std::uint32_t key);
    virtual bool keyUp(std::uint32_t key);
    virtual bool character(std::uint32_t key, std::uint32_t modifiers);
    // Points in window pixels.
    virtual bool mouseMove(Point point, std::uint32_t buttons);
    virtual bool mouseButton(Point point, std::uint32_t buttons);
    virtual bool mouseWheel(float delta, std::uint32_t buttons);
    virtual bool mouseEnter(Point point, std::uint32_t buttons);
    virtual bool mouseLeave();

    void enableEvents() noexcept;
    void disableEvents() noexcept;
    bool eventsAreEnabled() const noexcept { return eventsEnabled; }

    // Appends a view that belongs to no root and has no parent (retained).
    bool addView(View* view);
    // Takes one of this root's top-level views out (focus and hover let go of it first).
    bool removeView(View* view);
    // Gives a view of this root the focus: the old focus hears focusLost, the new one
    // focusGained; nothing happens for the current focus. False for a view of another root.
    bool setFocus(View* view);
    // Takes the focus from the view (focusLost); true for null, false unless it has it.
    bool releaseFocus(View* view);
    void clearFocus();
    View* getFocus() const noexcept { return focus; }
    View* getHover() const noexcept { return hover; }
    const container::Chain<View>& getViews() const noexcept { return views; }

    // Draws every view in the order added, each through its world transform, clipped to
    // the root's size.
    void paint();

    // Messages kept from other threads.
    std::uint32_t queuedMessages();

    types::String getName() const override;
    types::String getClassName() const override;

    // The procedure the root installs; it finds its root in the window's user data.
    static std::intptr_t rootProcedure(native::WindowHandle handle, std::uint32_t message,
                                       std::uintptr_t wParam, std::intptr_t lParam);

    types::String name;
    float width = 0;
    float height = 0;
    float lastWidth = 0;
    float lastHeight = 0;
    object::Pointer<Context> painter;

private:
    // The view (null: none) becomes the hover view: the old one hears mouseLeave, the new
    // one mouseEnter (local point). Nothing for the hover view itself.
    void setHover(View* view, Point local, std::uint32_t buttons);
    // The first top-level view that contains the point, with the point in its units.
    View* firstViewAt(Point point, Point& local) const;
    // The top-level views as they are now, each retained: a view that leaves (or is
    // removed) during a call stays alive until the walk is over, a view that joins waits
    // for the next walk, and every walk skips the views that have left (holds()).
    container::Array<object::Pointer<View>> currentViews() const;
    bool holds(const View* view) const noexcept;
    std::intptr_t handle(native::WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam);
    std::intptr_t passOn(native::WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam);
    void anchor(View* view, float dx, float dy);

    container::Chain<View> views;
    View* focus = nullptr;
    View* hover = nullptr;
    bool eventsEnabled = false;
    bool hovering = false;
    application::MessageQueue queue;
    system::Mutex queueLock;
    native::WindowHandle window = nullptr;
    native::WindowProcedure previousProcedure = nullptr;
};

} // namespace orvane::gui3d
