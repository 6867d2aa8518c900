#include "orvane/gui/Window.h"

#include "orvane/application/Message.h"
#include "orvane/application/Reply.h"
#include "orvane/gui/InputFlags.h"
#include "orvane/native/DrawingContext.h"
#include "orvane/native/Messages.h"
#include "orvane/object/Pointer.h"

#include <cmath>
#include <vector>

namespace orvane::gui {
namespace {

using namespace native;

bool registerWindowClass() {
    WindowClass windowClass;
    windowClass.name = Window::CLASS_NAME;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    windowClass.procedure = Window::windowProcedure;
    windowClass.background = Window::BACKGROUND;
    return registerClass(windowClass) || isClassRegistered(Window::CLASS_NAME);
}

Window* windowOf(WindowHandle handle) {
    return reinterpret_cast<Window*>(getUserData(handle));
}

graphics::Point<float> pointOf(std::intptr_t lParam) {
    return {float(signedLowWord(std::uintptr_t(lParam))),
            float(signedHighWord(std::uintptr_t(lParam)))};
}

int pixels(float value) {
    return int(std::lround(value));
}

std::intptr_t paintWindow(WindowHandle handle, Window* window) {
    PaintStruct paint;
    if (!beginPaint(handle, paint))
        return 0;
    graphics::Rectangle<float> area{float(paint.paint.left), float(paint.paint.top),
                                    float(paint.paint.width()), float(paint.paint.height())};
    window->paint(window->context, area);
    setWorldTransform(paint.deviceContext, Xform{});
    endPaint(handle, paint);
    return 0;
}

// Keys go to the focus view, or to the window itself without one.
template <class ToView, class ToWindow>
void routeKey(Window* window, ToView toView, ToWindow toWindow) {
    if (window->focusView)
        toView(window->focusView);
    else
        toWindow(window);
}

// Answers the request the message carries (OPEN, CLOSE) with the result and passes it on.
// A handler that throws leaves the answer to the loop, which answers false.
bool answer(application::Message* message, bool result) {
    if (auto* reply =
            dynamic_cast<application::Reply*>(message->findObject(application::Reply::PARAMETER)))
        reply->answer(result);
    return result;
}

} // namespace

Window::Window() = default;

Window::~Window() {
    if (isOpen())
        close();
    quit();
}

bool Window::opened() {
    for (View* view : views)
        view->attach();
    return true;
}

bool Window::closing() {
    for (View* view : views)
        view->detach();
    return true;
}

bool Window::closeRequested() {
    return close();
}

bool Window::activated() {
    for (View* view : views)
        view->activated();
    return true;
}

bool Window::deactivated() {
    for (View* view : views)
        view->deactivated();
    return true;
}

bool Window::moved(graphics::Point<float>) {
    previousPosition = position;
    previousSize = size;
    return true;
}

bool Window::resized(graphics::Size<float>) {
    float dw = size.width - previousSize.width;
    float dh = size.height - previousSize.height;
    if (dw != 0 || dh != 0)
        layOut(dw, dh);
    previousPosition = position;
    previousSize = size;
    return true;
}

void Window::layOut(float dw, float dh) {
    for (View* view : views) {
        std::uint32_t anchors = view->anchors;
        if (anchors == 0)
            continue;
        graphics::Rectangle<float> area{view->position.x, view->position.y, view->size.width,
                                        view->size.height};
        if ((anchors & View::ANCHOR_LEFT) && (anchors & View::ANCHOR_RIGHT))
            area.width += dw;
        else if (anchors & View::ANCHOR_RIGHT)
            area.x += dw;
        if ((anchors & View::ANCHOR_TOP) && (anchors & View::ANCHOR_BOTTOM))
            area.height += dh;
        else if (anchors & View::ANCHOR_BOTTOM)
            area.y += dh;
        view->setGeometry(area);
    }
}

bool Window::paint(Context&, const graphics::Rectangle<float>&) {
    return true;
}
bool Window::keyDown(std::uint32_t) {
    return true;
}
bool Window::keyUp(std::uint32_t) {
    return true;
}
bool Window::character(std::uint32_t, std::uint32_t) {
    return true;
}
bool Window::mouseMoved(graphics::Point<float>, std::uint32_t) {
    return true;
}
bool Window::mouseButton(graphics::Point<float>, std::uint32_t) {
    return true;
}

bool Window::mouseWheel(float delta, std::uint32_t flags) {
    return focusView ? focusView->mouseWheel(delta, flags) : true;
}

bool Window::handleMessage(application::Message* message) {
    switch (message->what) {
    case OPEN:
        return answer(message, handleOpen());
    case CLOSE:
        return answer(message, handleClose());
    case PAINT_VIEW:
    case RESIZE_VIEW: {
        auto* view = dynamic_cast<View*>(message->findObject("view"));
        if (!view || view->window != this)
            return false;
        if (message->what == PAINT_VIEW)
            return paintView(view);
        return view->resized(view->size);
    }
    default:
        return Looper::handleMessage(message);
    }
}

bool Window::handleOpen() {
    if (isOpen())
        return true;
    if (!createNativeWindow())
        return false;
    focusView = nullptr;
    openState.store(true, std::memory_order_release);
    // The views are attached before the opener hears back, so that it never changes the
    // view chain while this thread walks it.
    opened();
    show();
    return true;
}

// Once per opening: a request that finds the window closed already does nothing.
bool Window::handleClose() {
    if (!isOpen())
        return false;
    closing();
    destroyNativeWindow();
    openState.store(false, std::memory_order_release);
    focusView = nullptr;
    return true;
}

void Window::loopEnded() {
    handleClose();
}

bool Window::paintView(View* view) {
    WindowHandle handle = getNativeWindow();
    PaintStruct paint;
    if (!handle || !beginPaint(handle, paint))
        return false;
    view->paint(context, view->bounds);
    endPaint(handle, paint);
    return true;
}

bool Window::request(std::uint32_t what) {
    auto reply = object::Pointer<application::Reply>::adopt(new application::Reply);
    application::Message* message = application::Message::create(what);
    message->target = this;
    message->addObject(application::Reply::PARAMETER, reply.get());
    enqueue(message); // a refused message is answered false at once
    return reply->wait();
}

bool Window::createNativeWindow() {
    if (!registerWindowClass())
        return false;
    WindowCreation creation;
    creation.className = CLASS_NAME;
    creation.title = title.cString();
    creation.style = style;
    creation.extendedStyle = WS_EX_CLIENTEDGE;
    creation.width = pixels(size.width);
    creation.height = pixels(size.height);
    creation.createParameter = this;
    WindowHandle handle = createWindow(creation);
    if (!handle)
        return false;
    DeviceContextHandle dc = getDC(handle);
    if (!dc) {
        destroyWindow(handle);
        return false;
    }
    Rect client;
    Point origin;
    getClientRect(handle, client);
    clientToScreen(handle, origin);
    position = {float(origin.x), float(origin.y)};
    size = {float(client.width()), float(client.height())};
    context.window = handle;
    context.deviceContext = dc;
    deviceContext = dc;
    nativeWindow.store(handle, std::memory_order_release);
    return true;
}

void Window::destroyNativeWindow() {
    WindowHandle handle = nativeWindow.exchange(nullptr, std::memory_order_acq_rel);
    if (!handle)
        return;
    releaseDC(handle, deviceContext);
    context.window = nullptr;
    context.deviceContext = nullptr;
    deviceContext = nullptr;
    destroyWindow(handle);
}

bool Window::open() {
    system::Thread* serving = getThread();
    if (serving && system::Thread::current() == serving)
        return isOpen(); // the thread cannot wait for itself
    std::lock_guard hold(requests);
    if (isOpen())
        return true;
    // A thread without an open window has closed it and is ending (or was started by
    // hand): it ends before the new one starts.
    quit();
    if (!start())
        return false;
    if (request(OPEN))
        return true;
    quit(); // nothing is left half made: the thread goes with the failed window
    return false;
}

bool Window::close() {
    system::Thread* serving = getThread();
    if (serving && system::Thread::current() == serving) {
        if (!handleClose())
            return false;
        quit(); // the loop ends after the current message
        return true;
    }
    std::lock_guard hold(requests);
    if (!isOpen()) {
        quit(); // a thread that closed its window may still be ending: after close() it has
        return false;
    }
    // Answered false when the window closed itself first or its loop ended before the
    // request came: closed either way once the thread has ended.
    request(CLOSE);
    quit();
    return !isOpen();
}

bool Window::show() {
    WindowHandle handle = getNativeWindow();
    if (!handle)
        return false;
    showWindow(handle, true);
    updateWindow(handle);
    return true;
}

bool Window::setTitle(const types::String& text) {
    title = text;
    WindowHandle handle = getNativeWindow();
    return !handle || setWindowText(handle, text.cString());
}

// While open, the window manager has the last word on a top-level window's geometry:
// the fields follow from the WM_MOVE and WM_SIZE it causes.
bool Window::setPosition(graphics::Point<float> point) {
    if (WindowHandle handle = getNativeWindow())
        return setWindowPosition(handle, pixels(point.x), pixels(point.y), 0, 0,
                                 SWP_NOCOPYBITS | SWP_NOZORDER | SWP_NOSIZE);
    position = point;
    return moved(point);
}

bool Window::setSize(graphics::Size<float> newSize) {
    if (WindowHandle handle = getNativeWindow())
        return setWindowPosition(handle, 0, 0, pixels(newSize.width), pixels(newSize.height),
                                 SWP_NOCOPYBITS | SWP_NOZORDER | SWP_NOMOVE);
    size = newSize;
    return resized(newSize);
}

bool Window::invalidate() {
    WindowHandle handle = getNativeWindow();
    return handle && invalidateRect(handle, nullptr, true);
}

bool Window::invalidate(const graphics::Rectangle<float>& area) {
    WindowHandle handle = getNativeWindow();
    Rect rect{pixels(area.x), pixels(area.y), pixels(area.x + area.width),
              pixels(area.y + area.height)};
    return handle && invalidateRect(handle, &rect, true);
}

bool Window::attachView(View* view) {
    return !isOpen() || view->attach();
}

bool Window::detachView(View* view) {
    return !isOpen() || view->detach();
}

bool Window::addView(View* view) {
    return invoke([this, view] {
        if (!view || view->window || view->parent || view->getMessenger())
            return false;
        views.add(view);
        addHandler(view);
        view->window = this;
        attachView(view);
        return true;
    });
}

bool Window::removeView(View* view) {
    return invoke([this, view] {
        if (!view || view->window != this || view->parent)
            return false;
        if (focusView == view) {
            view->focusLost();
            focusView = nullptr;
        }
        detachView(view);
        view->window = nullptr;
        view->retain(); // both releases below must leave the view usable until the last
        views.remove(view);
        removeHandler(view);
        view->release();
        return true;
    });
}

void Window::removeAllViews() {
    invoke([this] {
        if (focusView) {
            focusView->focusLost();
            focusView = nullptr;
        }
        while (View* view = views.first())
            if (!removeView(view))
                break; // a view given a parent after it joined stays where it is
        return true;
    });
}

bool Window::setFocus(View* view) {
    return invoke([this, view] {
        if (view && view->window != this)
            return false;
        if (view == focusView)
            return true;
        if (focusView)
            focusView->focusLost();
        focusView = view;
        if (view)
            view->focusGained();
        return true;
    });
}

bool Window::clearFocus(View* view) {
    return invoke([this, view] {
        if (!view || view != focusView)
            return false;
        focusView = nullptr;
        return true;
    });
}

types::String Window::getName() const {
    return title;
}

types::String Window::getClassName() const {
    return object::classPath(Looper::getClassName(), ":Window");
}

std::intptr_t Window::windowProcedure(WindowHandle handle, std::uint32_t message,
                                      std::uintptr_t wParam, std::intptr_t lParam) {
    if (message == WM_CREATE) {
        auto* created = reinterpret_cast<CreateStruct*>(lParam);
        setUserData(handle, reinterpret_cast<std::intptr_t>(created->createParameter));
        return 0;
    }
    Window* window = windowOf(handle);
    if (!window)
        return message == WM_GETMINMAXINFO ? 1 : defaultProcedure(handle, message, wParam, lParam);
    switch (message) {
    case WM_MOVE:
        window->position = pointOf(lParam);
        window->moved(window->position);
        return 0;
    case WM_SIZE:
        window->size = {float(lowWord(std::uintptr_t(lParam))),
                        float(highWord(std::uintptr_t(lParam)))};
        window->resized(window->size);
        return 0;
    case WM_ACTIVATE:
        if (lowWord(wParam) == WA_ACTIVE || lowWord(wParam) == WA_CLICKACTIVE)
            window->activated();
        else
            window->deactivated();
        return 0;
    case WM_PAINT:
        return paintWindow(handle, window);
    case WM_CLOSE:
        window->closeRequested();
        return 0;
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MinMaxInfo*>(lParam);
        limits->minimumTrackSize = {pixels(window->minimumSize.width),
                                    pixels(window->minimumSize.height)};
        limits->maximumTrackSize = {pixels(window->maximumSize.width),
                                    pixels(window->maximumSize.height)};
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_KEYDOWN:
        if (!(lParam & KEY_PREVIOUSLY_DOWN))
            routeKey(
                window, [&](View* v) { v->keyDown(std::uint32_t(wParam)); },
                [&](Window* w) { w->keyDown(std::uint32_t(wParam)); });
        return 0;
    case WM_KEYUP:
        routeKey(
            window, [&](View* v) { v->keyUp(std::uint32_t(wParam)); },
            [&](Window* w) { w->keyUp(std::uint32_t(wParam)); });
        return 0;
    case WM_CHAR: {
        std::uint32_t modifiers = keyModifiers();
        routeKey(
            window, [&](View* v) { v->character(std::uint32_t(wParam), modifiers); },
            [&](Window* w) { w->character(std::uint32_t(wParam), modifiers); });
        return 0;
    }
    case WM_MOUSEMOVE:
        window->mouseMoved(pointOf(lParam), mouseFlags(wParam));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        window->mouseButton(pointOf(lParam), buttonFlag(message));
        return 0;
    case WM_MOUSEWHEEL:
        return window->mouseWheel(float(signedHighWord(wParam)), mouseFlags(lowWord(wParam))) ? 1
                                                                                              : 0;
    case WM_QUERYNEWPALETTE: // drawn on TrueColor displays only: no palette to realise
        return 0;
    case WM_PALETTECHANGED:
        return 0;
    default:
        return defaultProcedure(handle, message, wParam, lParam);
    }
}

} // namespace orvane::gui
