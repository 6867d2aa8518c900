#include "orvane/gui3d/Root.h"

#include "orvane/application/Message.h"
#include "orvane/graphics3d/state/Context.h"
#include "orvane/gui/InputFlags.h"
#include "orvane/native/Messages.h"
#include "orvane/system/Thread.h"

#include <mutex>

namespace orvane::gui3d {
namespace {

using namespace native;

Root::Point pointOf(std::intptr_t lParam) {
    return {float(signedLowWord(std::uintptr_t(lParam))),
            float(signedHighWord(std::uintptr_t(lParam)))};
}

} // namespace

Root::Root(graphics3d::Context* renderContext)
    : width(float(renderContext->frameBuffer.width))
    , height(float(renderContext->frameBuffer.height))
    // The size the views were placed in: the first resize moves them by the real change.
    , lastWidth(width)
    , lastHeight(height)
    , painter(object::Pointer<Context>::adopt(new Context(renderContext)))
    , window(renderContext->window) {
    thread.store(system::Thread::current(), std::memory_order_release);
    if (window) {
        setUserData(window, reinterpret_cast<std::intptr_t>(this));
        previousProcedure = setProcedure(window, rootProcedure);
        // Child windows leave keys to their top-level window; the root routes its own.
        setKeyboardInput(window, true);
    }
}

Root::~Root() {
    clearFocus();
    hover = nullptr;
    while (View* view = views.first())
        removeView(view);
    if (window && previousProcedure && getProcedure(window) == rootProcedure) {
        setProcedure(window, previousProcedure);
        setUserData(window, 0);
        setKeyboardInput(window, false);
    }
    thread.store(nullptr, std::memory_order_release);
    std::lock_guard guard(queueLock);
    queue.clear();
}

bool Root::enqueueFront(application::Message* message) {
    std::lock_guard guard(queueLock);
    queue.pushFront(message);
    return true;
}

bool Root::enqueue(application::Message* message) {
    std::lock_guard guard(queueLock);
    queue.pushBack(message);
    return true;
}

std::uint32_t Root::queuedMessages() {
    std::lock_guard guard(queueLock);
    return queue.count();
}

void Root::anchor(View* view, float dx, float dy) {
    View::Rectangle frame = view->frame;
    const std::uint32_t anchors = view->anchors;
    if ((anchors & View::ANCHOR_LEFT) && (anchors & View::ANCHOR_RIGHT))
        frame.width += dx;
    else if (anchors & View::ANCHOR_RIGHT)
        frame.x += dx;
    if ((anchors & View::ANCHOR_TOP) && (anchors & View::ANCHOR_BOTTOM))
        frame.height += dy;
    else if (anchors & View::ANCHOR_BOTTOM)
        frame.y += dy;
    view->setFrame(frame);
}

container::Array<object::Pointer<View>> Root::currentViews() const {
    container::Array<object::Pointer<View>> list;
    for (View* view = views.first(); view; view = views.next(view))
        list.add(object::Pointer<View>(view));
    return list;
}

bool Root::holds(const View* view) const noexcept {
    return view->root == this && !view->parent;
}

bool Root::resize(graphics::Size<float> size) {
    width = size.width;
    height = size.height;
    const float dx = width - lastWidth, dy = height - lastHeight;
    lastWidth = width;
    lastHeight = height;
    if (dx != 0 || dy != 0)
        for (const auto& view : currentViews())
            if (holds(view.get()) && view->anchors != 0)
                anchor(view.get(), dx, dy);
    return true;
}

bool Root::activate() {
    for (const auto& view : currentViews())
        if (holds(view.get()))
            view->activated();
    return true;
}

bool Root::deactivate() {
    for (const auto& view : currentViews())
        if (holds(view.get()))
            view->deactivated();
    return true;
}

bool Root::keyDown(std::uint32_t) {
    return true;
}
bool Root::keyUp(std::uint32_t) {
    return true;
}
bool Root::character(std::uint32_t, std::uint32_t) {
    return true;
}
bool Root::mouseWheel(float, std::uint32_t) {
    return false;
}

void Root::setHover(View* view, Point local, std::uint32_t buttons) {
    if (view == hover)
        return;
    object::Pointer<View> left(hover);
    hover = view;
    if (left)
        left->mouseLeave();
    if (view && hover == view)
        view->mouseEnter(local, buttons);
}

View* Root::firstViewAt(Point point, Point& local) const {
    for (View* view = views.first(); view; view = views.next(view))
        if (view->contains(point) && view->toLocal(point, local))
            return view;
    return nullptr;
}

bool Root::mouseMove(Point point, std::uint32_t buttons) {
    // The hover view is the first view under the pointer: it alone hears enter and leave,
    // once a visit, however many views beneath it the move goes on to.
    Point local;
    const object::Pointer<View> under(firstViewAt(point, local));
    setHover(under.get(), local, buttons);
    for (const auto& view : currentViews()) {
        if (!holds(view.get()) || !view->contains(point) || !view->toLocal(point, local))
            continue;
        if (view->mouseMove(local, buttons))
            return true;
    }
    return false;
}

bool Root::mouseButton(Point point, std::uint32_t buttons) {
    for (const auto& view : currentViews()) {
        Point local;
        if (holds(view.get()) && view->contains(point) && view->toLocal(point, local) &&
            view->mouseButton(local, buttons))
            return true;
    }
    return false;
}

bool Root::mouseEnter(Point point, std::uint32_t buttons) {
    // Offered to the views under the pointer until one takes it; the first of them is the
    // hover view, whichever takes it.
    bool first = true;
    for (const auto& view : currentViews()) {
        Point local;
        if (!holds(view.get()) || !view->contains(point) || !view->toLocal(point, local))
            continue;
        if (first) {
            first = false;
            if (hover != view.get()) {
                object::Pointer<View> left(hover);
                hover = view.get();
                if (left)
                    left->mouseLeave();
            }
        }
        if (view->mouseEnter(local, buttons))
            break;
    }
    return true;
}

bool Root::mouseLeave() {
    if (hover) {
        const object::Pointer<View> left(hover);
        hover = nullptr;
        left->mouseLeave();
    }
    return true;
}

void Root::enableEvents() noexcept {
    eventsEnabled = true;
    hovering = false;
}

void Root::disableEvents() noexcept {
    eventsEnabled = false;
    hovering = false;
}

bool Root::addView(View* view) {
    if (!view || view->root || view->parent || !views.add(view))
        return false;
    addHandler(view);
    view->root = this;
    view->painter = painter.get();
    view->attached();
    return true;
}

bool Root::removeView(View* view) {
    if (!view || view->root != this || view->parent || !views.contains(view))
        return false;
    object::Pointer<View> keep(view);
    if (focus == view) {
        focus = nullptr;
        view->focusLost();
    }
    if (hover == view)
        hover = nullptr;
    view->detached();
    view->root = nullptr;
    view->painter = nullptr;
    views.remove(view);
    removeHandler(view);
    return true;
}

bool Root::setFocus(View* view) {
    if (view && view->root != this)
        return false;
    if (view == focus)
        return true;
    View* old = focus;
    focus = view;
    if (old)
        old->focusLost();
    if (view)
        view->focusGained();
    return true;
}

bool Root::releaseFocus(View* view) {
    if (!view)
        return true;
    if (view != focus)
        return false;
    focus = nullptr;
    view->focusLost();
    return true;
}

void Root::clearFocus() {
    if (View* old = focus) {
        focus = nullptr;
        old->focusLost();
    }
}

void Root::paint() {
    painter->begin();
    painter->flush();
    painter->setClip({0, 0, width, height});
    for (const auto& view : currentViews()) {
        if (!holds(view.get()))
            continue;
        painter->flush();
        painter->setTransform(view->worldTransform);
        view->paint();
    }
    painter->end();
}

types::String Root::getName() const {
    return name;
}

types::String Root::getClassName() const {
    return object::classPath(Messenger::getClassName(), ":Root");
}

std::intptr_t Root::passOn(WindowHandle handle, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) {
    return previousProcedure ? previousProcedure(handle, message, wParam, lParam)
                             : defaultProcedure(handle, message, wParam, lParam);
}

std::intptr_t Root::handle(WindowHandle handle, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) {
    if (message == WM_SIZE) {
        Rect client;
        if (getClientRect(handle, client))
            resize({float(client.width()), float(client.height())});
        return passOn(handle, message, wParam, lParam);
    }
    if (message == WM_DESTROY)
        return 0;
    if (!eventsEnabled)
        return passOn(handle, message, wParam, lParam);
    switch (message) {
    case WM_KEYDOWN: {
        if (lParam & KEY_PREVIOUSLY_DOWN)
            return 0;
        // The focus view is kept alive through its own handler, which may remove it.
        const object::Pointer<View> to(focus);
        to ? to->keyDown(std::uint32_t(wParam)) : keyDown(std::uint32_t(wParam));
        return 0;
    }
    case WM_KEYUP: {
        const object::Pointer<View> to(focus);
        to ? to->keyUp(std::uint32_t(wParam)) : keyUp(std::uint32_t(wParam));
        return 0;
    }
    case WM_CHAR: {
        const std::uint32_t modifiers = gui::keyModifiers();
        const object::Pointer<View> to(focus);
        to ? to->character(std::uint32_t(wParam), modifiers)
           : character(std::uint32_t(wParam), modifiers);
        return 0;
    }
    case WM_MOUSEMOVE: {
        const Point point = pointOf(lParam);
        const std::uint32_t buttons = gui::mouseFlags(wParam);
        if (!hovering) {
            hovering = true;
            mouseEnter(point, buttons);
            trackMouseLeave(handle);
        }
        mouseMove(point, buttons);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        mouseButton(pointOf(lParam), gui::buttonFlag(message));
        return 0;
    case WM_MOUSEWHEEL:
        return mouseWheel(float(signedHighWord(wParam)), gui::mouseFlags(lowWord(wParam))) ? 1 : 0;
    case WM_MOUSELEAVE:
        hovering = false;
        mouseLeave();
        return 0;
    default:
        return passOn(handle, message, wParam, lParam);
    }
}

std::intptr_t Root::rootProcedure(WindowHandle handle, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
    auto* root = reinterpret_cast<Root*>(getUserData(handle));
    if (!root)
        return defaultProcedure(handle, message, wParam, lParam);
    return root->handle(handle, message, wParam, lParam);
}

} // namespace orvane::gui3d
