#include "orvane/native/DrawingContext.h"

#include "orvane/native/Messages.h"
#include "orvane/native/WindowRecord.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

namespace orvane::native {
namespace {

unsigned long scaleChannel(std::uint32_t value, unsigned long mask) {
    if (!mask)
        return 0;
    int shift = std::countr_zero(mask);
    unsigned long maximum = mask >> shift;
    return ((value * maximum + 127) / 255) << shift;
}

// The context if it is live and belongs to the calling thread, else null.
DeviceContextRecord* ownedContext(DeviceContextHandle deviceContext) {
    WindowRecord* window = liveDeviceContextWindow(deviceContext);
    return window && ownedWindow(window->handle) ? deviceContext : nullptr;
}

Display* displayOf(const DeviceContextRecord& dc) {
    return dc.window->owner->display;
}

XPoint toPixel(FloatPoint point) {
    return XPoint{short(std::lround(point.x)), short(std::lround(point.y))};
}

void usePen(DeviceContextRecord& dc) {
    XSetForeground(displayOf(dc), dc.gc, dc.pixelOf(dc.penColour));
    XSetLineAttributes(displayOf(dc), dc.gc, unsigned(std::max(dc.penWidth, 0)), LineSolid, CapButt,
                       JoinMiter);
}

void useBrush(DeviceContextRecord& dc) {
    XSetForeground(displayOf(dc), dc.gc, dc.pixelOf(dc.brushColour));
}

bool isAxisAligned(const Xform& t) {
    return t.eM12 == 0 && t.eM21 == 0;
}

void fillPolygon(DeviceContextRecord& dc, std::vector<XPoint>& points) {
    useBrush(dc);
    XFillPolygon(displayOf(dc), dc.window->xid, dc.gc, points.data(), int(points.size()), Complex,
                 CoordModeOrigin);
}

void outlinePolygon(DeviceContextRecord& dc, std::vector<XPoint>& points) {
    usePen(dc);
    points.push_back(points.front());
    XDrawLines(displayOf(dc), dc.window->xid, dc.gc, points.data(), int(points.size()),
               CoordModeOrigin);
    points.pop_back();
}

std::vector<XPoint> mapCorners(const DeviceContextRecord& dc, float left, float top, float right,
                               float bottom) {
    return {toPixel(dc.map(left, top)), toPixel(dc.map(right, top)), toPixel(dc.map(right, bottom)),
            toPixel(dc.map(left, bottom))};
}

// Right and bottom edges lie outside a rectangle, so an axis-aligned one covers the
// pixels from its mapped top-left corner up to, not including, its bottom-right corner.
XRectangle pixelRectangle(const DeviceContextRecord& dc, float left, float top, float right,
                          float bottom) {
    XPoint a = toPixel(dc.map(left, top)), b = toPixel(dc.map(right, bottom));
    short x = std::min(a.x, b.x), y = std::min(a.y, b.y);
    return XRectangle{x, y, (unsigned short)(std::max(a.x, b.x) - x),
                      (unsigned short)(std::max(a.y, b.y) - y)};
}

} // namespace

unsigned long DeviceContextRecord::pixelOf(std::uint32_t colour) const noexcept {
    return scaleChannel(colour & 0xFF, redMask) | scaleChannel((colour >> 8) & 0xFF, greenMask) |
           scaleChannel((colour >> 16) & 0xFF, blueMask);
}

FloatPoint DeviceContextRecord::map(float x, float y) const noexcept {
    return FloatPoint{x * transform.eM11 + y * transform.eM21 + transform.eDx,
                      x * transform.eM12 + y * transform.eM22 + transform.eDy};
}

DeviceContextHandle getDC(WindowHandle window) {
    WindowRecord* record = ownedWindow(window);
    return record ? &record->dc : nullptr;
}

bool releaseDC(WindowHandle window, DeviceContextHandle deviceContext) {
    WindowRecord* record = ownedWindow(window);
    return record && deviceContext == &record->dc;
}

WindowHandle windowOfDC(DeviceContextHandle deviceContext) {
    WindowRecord* window = liveDeviceContextWindow(deviceContext);
    return window ? window->handle : nullptr;
}

DeviceContextHandle beginPaint(WindowHandle handle, PaintStruct& paint) {
    WindowRecord* window = ownedWindow(handle);
    if (!window)
        return nullptr;
    Rect client{0, 0, std::max(window->width, 0), std::max(window->height, 0)};
    {
        std::lock_guard guard(window->owner->lock);
        Rect area = window->invalidWhole || !window->invalid ? client : window->invalidArea;
        paint.paint =
            Rect{std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, client.right),
                 std::min(area.bottom, client.bottom)};
        paint.erase = window->erase;
    }
    validate(*window);
    paint.deviceContext = &window->dc;
    window->paintArea = paint.paint;
    if (paint.erase &&
        window->procedure(handle, WM_ERASEBKGND,
                          reinterpret_cast<std::uintptr_t>(paint.deviceContext), 0) == 0 &&
        ownedWindow(handle))
        defaultProcedure(handle, WM_ERASEBKGND, 0, 0);
    return ownedWindow(handle) ? paint.deviceContext : nullptr;
}

bool endPaint(WindowHandle handle, const PaintStruct&) {
    return ownedWindow(handle) != nullptr;
}

bool selectPen(DeviceContextHandle deviceContext, std::uint32_t colour, int width) {
    DeviceContextRecord* dc = ownedContext(deviceContext);
    if (!dc)
        return false;
    dc->penColour = colour & 0x00FFFFFF;
    dc->penWidth = width;
    return true;
}

bool selectBrush(DeviceContextHandle deviceContext, std::uint32_t colour) {
    DeviceContextRecord* dc = ownedContext(deviceContext);
    if (!dc)
        return false;
    dc->brushColour = colour & 0x00FFFFFF;
    return true;
}

bool setWorldTransform(DeviceContextHandle deviceContext, const Xform& transform) {
    DeviceContextRecord* dc = ownedContext(deviceContext);
    if (!dc)
        return false;
    dc->transform = transform;
    return true;
}

bool getWorldTransform(DeviceContextHandle deviceContext, Xform& transform) {
    DeviceContextRecord* dc = ownedContext(deviceContext);
    if (!dc)
        return false;
    transform = dc->transform;
    return true;
}

bool hasPalette(DeviceContextHandle) {
    return false;
}

bool moveTo(DeviceContextHandle deviceContext, float x, float y) {
    DeviceContextRecord* dc = ownedContext(deviceContext);
    if (!dc)
        return false;
    dc->current = FloatPoint{x, y};
    return true;
}

bool lineTo(DeviceContextHandle deviceContext, float x, float y) {
    DeviceContextRecord* dc = ownedContext(deviceContext);
    if (!dc)
        return false;
    XPoint from = toPixel(dc->map(dc->current.x, dc->current.y));
    XPoint to = toPixel(dc->map(x, y));
    usePen(*dc);
    XDrawLine(displayOf(*dc), dc->window->xid, dc->gc, from.x, from.y, to.x, to.y);
    dc->current = FloatPoint{x, y};
    return true;
}

bool rectangle(DeviceContextHandle deviceContext, float left, float top, float right,
               float bottom) {
    DeviceContextRecord* dc = ownedContext(deviceContext);
    if (!dc)
        return false;
    if (!isAxisAligned(dc->transform)) {
        std::vector<XPoint> corners = mapCorners(*dc, left, top, right, bottom);
        fillPolygon(*dc, corners);
        outlinePolygon(*dc, corners);
        return true;
    }
    XRectangle area = pixelRectangle(*dc, left, top, right, bottom);
    if (area.width == 0 || area.height == 0)
        return true;
    useBrush(*dc);
    XFillRectangle(displayOf(*dc), dc->window->xid, dc->gc, area.x, area.y, area.width,
                   area.height);
    usePen(*dc);
    XDrawRectangle(displayOf(*dc), dc->window->xid, dc->gc, area.x, area.y, area.width - 1u,
                   area.height - 1u);
    return true;
}

bool fillRectangle(DeviceContextHandle deviceContext, float left, float top, float right,
                   float bottom) {
    DeviceContextRecord* dc = ownedContext(deviceContext);
    if (!dc)
        return false;
    if (!isAxisAligned(dc->transform)) {
        std::vector<XPoint> corners = mapCorners(*dc, left, top, right, bottom);
        fillPolygon(*dc, corners);
        return true;
    }
    XRectangle area = pixelRectangle(*dc, left, top, right, bottom);
    useBrush(*dc);
    XFillRectangle(displayOf(*dc), dc->window->xid, dc->gc, area.x, area.y, area.width,
                   area.height);
    return true;
}

bool polygon(DeviceContextHandle deviceContext, const FloatPoint* points, int count) {
    DeviceContextRecord* dc = ownedContext(deviceContext);
    if (!dc || !points || count < 2)
        return false;
    std::vector<XPoint> mapped;
    for (int i = 0; i < count; ++i)
        mapped.push_back(toPixel(dc->map(points[i].x, points[i].y)));
    fillPolygon(*dc, mapped);
    outlinePolygon(*dc, mapped);
    return true;
}

} // namespace orvane::native
