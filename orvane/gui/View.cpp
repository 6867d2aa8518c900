#include "orvane/gui/View.h"

#include "orvane/gui/InputFlags.h"
#include "orvane/gui/Window.h"
#include "orvane/native/DrawingContext.h"
#include "orvane/native/Messages.h"

#include <cmath>

namespace orvane::gui {
namespace {

using namespace native;

bool registerViewClass() {
    WindowClass viewClass;
    viewClass.name = View::CLASS_NAME;
    viewClass.style = CS_OWNDC;
    viewClass.procedure = View::viewProcedure;
    viewClass.extraBytes = sizeof(View*); // the view, at offset 0
    viewClass.background = Window::BACKGROUND;
    return registerClass(viewClass) || isClassRegistered(View::CLASS_NAME);
}

View* viewOf(WindowHandle handle) {
    return reinterpret_cast<View*>(getWindowWord(handle, 0));
}

graphics::Point<float> pointOf(std::intptr_t lParam) {
    return {float(signedLowWord(std::uintptr_t(lParam))),
            float(signedHighWord(std::uintptr_t(lParam)))};
}

std::intptr_t handled(bool done) {
    return done ? 0 : -1;
}

std::intptr_t paintView(WindowHandle handle, View* view) {
    PaintStruct paint;
    if (!beginPaint(handle, paint))
        return 0;
    graphics::Rectangle<float> area{float(paint.paint.left), float(paint.paint.top),
                                    float(paint.paint.width()), float(paint.paint.height())};
    view->paint(view->context, area);
    endPaint(handle, paint);
    return 0;
}

std::intptr_t mouseMove(WindowHandle handle, View* view, std::uintptr_t wParam,
                        std::intptr_t lParam) {
    graphics::Point<float> point = pointOf(lParam);
    std::uint32_t flags = mouseFlags(wParam);
    if (!view->mouseInside) {
        view->mouseInside = true;
        view->mouseEntered(point, flags);
        trackMouseLeave(handle);
    }
    return handled(view->mouseMoved(point, flags));
}

} // namespace

View::View(const graphics::Rectangle<float>& area)
    : bounds{0, 0, area.width, area.height}
    , position{area.x, area.y}
    , size{area.width, area.height} {
    updateTransform();
}

View::~View() {
    if (nativeWindow)
        detach();
}

graphics::Size<float> View::getSize() const {
    return size;
}

bool View::refresh() {
    return true;
}

bool View::paint(Context&, const graphics::Rectangle<float>&) {
    return true;
}

graphics::Rectangle<float> View::childRectangle() const {
    graphics::Rectangle<float> mapped = transform.map(bounds);
    return {mapped.x + position.x, mapped.y + position.y, mapped.width, mapped.height};
}

native::VisualChoice View::childVisual() {
    return {};
}

bool View::attach() {
    if (nativeWindow)
        return true;
    WindowHandle parentWindow = parent   ? parent->nativeWindow.load()
                                : window ? window->getNativeWindow()
                                         : nullptr;
    if (!parentWindow || !registerViewClass())
        return false;
    graphics::Rectangle<float> area = childRectangle();
    WindowCreation creation;
    creation.className = CLASS_NAME;
    creation.title = "view";
    creation.style = WS_CHILD | WS_VISIBLE;
    creation.x = int(std::lround(area.x));
    creation.y = int(std::lround(area.y));
    creation.width = int(std::lround(area.width));
    creation.height = int(std::lround(area.height));
    creation.parent = parentWindow;
    creation.createParameter = this;
    creation.visual = childVisual();
    WindowHandle handle = createWindow(creation);
    if (!handle)
        return false;
    DeviceContextHandle dc = getDC(handle);
    if (!dc) {
        destroyWindow(handle);
        return false;
    }
    nativeWindow = handle;
    deviceContext = dc;
    context.window = handle;
    context.deviceContext = dc;
    mouseInside = false;
    return true;
}

bool View::detach() {
    if (!nativeWindow)
        return false;
    WindowHandle handle = nativeWindow;
    releaseDC(handle, deviceContext);
    nativeWindow = nullptr;
    deviceContext = nullptr;
    context.window = nullptr;
    context.deviceContext = nullptr;
    mouseInside = false;
    destroyWindow(handle);
    return true;
}

bool View::activated() {
    return true;
}
bool View::deactivated() {
    return true;
}
bool View::resized(graphics::Size<float>) {
    return true;
}
bool View::focusGained() {
    return true;
}
bool View::focusLost() {
    return true;
}
bool View::keyDown(std::uint32_t) {
    return true;
}
bool View::keyUp(std::uint32_t) {
    return true;
}
bool View::character(std::uint32_t, std::uint32_t) {
    return true;
}
bool View::mouseMoved(graphics::Point<float>, std::uint32_t) {
    return true;
}
bool View::mouseButton(graphics::Point<float>, std::uint32_t) {
    return true;
}
bool View::mouseEntered(graphics::Point<float>, std::uint32_t) {
    return true;
}
bool View::mouseLeft() {
    return true;
}
bool View::mouseWheel(float, std::uint32_t) {
    return false;
}

void View::updateTransform() {
    graphics::Transform<float> local = transform.translated(position.x, position.y);
    worldTransform = parent ? parent->worldTransform * local : local;
}

bool View::invalidate() {
    WindowHandle handle = nativeWindow;
    return handle && invalidateRect(handle, nullptr, true);
}

void View::recomputeBounds() {
    bounds = transform.inverse().map(graphics::Rectangle<float>{0, 0, size.width, size.height});
}

void View::moveChildWindow() {
    if (!nativeWindow)
        return;
    graphics::Rectangle<float> area = childRectangle();
    setWindowPosition(nativeWindow, int(std::lround(area.x)), int(std::lround(area.y)),
                      int(std::lround(area.width)), int(std::lround(area.height)),
                      SWP_NOZORDER | SWP_NOCOPYBITS);
}

bool View::setGeometry(const graphics::Rectangle<float>& area) {
    position = area.position();
    size = area.size();
    recomputeBounds();
    updateTransform();
    moveChildWindow();
    return true;
}

bool View::setPosition(graphics::Point<float> point) {
    return setGeometry({point.x, point.y, size.width, size.height});
}

bool View::setSize(graphics::Size<float> newSize) {
    return setGeometry({position.x, position.y, newSize.width, newSize.height});
}

bool View::setScale(float x, float y) {
    transform.a = x, transform.b = 0;
    transform.d = 0, transform.e = y;
    recomputeBounds();
    updateTransform();
    return true;
}

types::String View::getName() const {
    return name;
}

types::String View::getClassName() const {
    return object::classPath(Handler::getClassName(), ":View");
}

std::intptr_t View::viewProcedure(WindowHandle handle, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
    if (message == WM_CREATE) {
        auto* created = reinterpret_cast<CreateStruct*>(lParam);
        setWindowWord(handle, 0, reinterpret_cast<std::intptr_t>(created->createParameter));
        return 0;
    }
    View* view = viewOf(handle);
    if (!view)
        return defaultProcedure(handle, message, wParam, lParam);
    switch (message) {
    case WM_QUERYNEWPALETTE:
        return 0;
    case WM_MOVE:
        view->position = pointOf(lParam);
        view->resized(view->size);
        return 0;
    case WM_SIZE:
        view->size = {float(lowWord(std::uintptr_t(lParam))),
                      float(highWord(std::uintptr_t(lParam)))};
        view->resized(view->size);
        return 0;
    case WM_PAINT:
        return paintView(handle, view);
    case WM_ERASEBKGND:
        return 1;
    case WM_KEYDOWN:
        if (lParam & KEY_PREVIOUSLY_DOWN)
            return -1;
        return handled(view->keyDown(std::uint32_t(wParam)));
    case WM_KEYUP:
        return handled(view->keyUp(std::uint32_t(wParam)));
    case WM_CHAR:
        return handled(view->character(std::uint32_t(wParam), keyModifiers()));
    case WM_MOUSEMOVE:
        return mouseMove(handle, view, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        return handled(view->mouseButton(pointOf(lParam), buttonFlag(message)));
    case WM_MOUSEWHEEL:
        return view->mouseWheel(float(signedHighWord(wParam)), mouseFlags(lowWord(wParam))) ? 1 : 0;
    case WM_MOUSELEAVE:
        view->mouseInside = false;
        view->mouseLeft();
        return 0;
    case WM_PALETTECHANGED:
        if (reinterpret_cast<WindowHandle>(wParam) != handle)
            return 0;
        return defaultProcedure(handle, message, wParam, lParam);
    default:
        return defaultProcedure(handle, message, wParam, lParam);
    }
}

} // namespace orvane::gui
