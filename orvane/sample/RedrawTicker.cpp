#include "orvane/sample/RedrawTicker.h"

#include "orvane/native/Window.h"
#include "orvane/sample/GraphicsView.h"

namespace orvane::sample {

RedrawTicker::RedrawTicker(GraphicsView* view) noexcept
    : view(view) {}

RedrawTicker::~RedrawTicker() {
    stop();
}

bool RedrawTicker::redraw() {
    // The native window is the view's only field other threads may read: it exists
    // exactly while the view is attached to an open window.
    native::WindowHandle window =
        view ? view->nativeWindow.load(std::memory_order_acquire) : nullptr;
    return window && native::invalidateRect(window, nullptr, true);
}

void RedrawTicker::tick() {
    redraw();
}

types::String RedrawTicker::getClassName() const {
    // The ticker's short name is that of any ticker that redraws an OpenGL view.
    return object::classPath(system::Ticker::getClassName(), ":OpenGLTicker");
}

} // namespace orvane::sample
