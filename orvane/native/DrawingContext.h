#pragma once

#include "orvane/native/Window.h"

#include <cstdint>

namespace orvane::native {

// Drawing on a window.
//
// Every window owns one drawing context, made with the window and destroyed with it;
// getDC answers it and releaseDC leaves it alone. A context keeps a pen (colour and
// width, for outlines and lines), a brush (colour, for filled areas) and a world
// transform that is applied to every coordinate before it is drawn. Colours are
// 0x00BBGGRR (red in the lowest byte). Contexts are used on the window's owner thread.

struct DeviceContextRecord;
using DeviceContextHandle = DeviceContextRecord*;

// A world transform: x' = x * eM11 + y * eM21 + eDx, y' = x * eM12 + y * eM22 + eDy.
struct Xform {
    float eM11 = 1, eM12 = 0, eM21 = 0, eM22 = 1, eDx = 0, eDy = 0;
};

struct FloatPoint {
    float x = 0;
    float y = 0;
};

// What beginPaint hands out: the context, the bounding rectangle of the invalid area,
// and whether that area was to be erased.
struct PaintStruct {
    DeviceContextHandle deviceContext = nullptr;
    bool erase = false;
    Rect paint;
};

DeviceContextHandle getDC(WindowHandle window);
bool releaseDC(WindowHandle window, DeviceContextHandle deviceContext);
WindowHandle windowOfDC(DeviceContextHandle deviceContext);

// Starts painting: takes the invalid area (the window is valid afterwards) and, when it
// was to be erased, sends WM_ERASEBKGND, painting the class background if the procedure
// answers 0. Null for an unknown window.
DeviceContextHandle beginPaint(WindowHandle window, PaintStruct& paint);
bool endPaint(WindowHandle window, const PaintStruct& paint);

// Solid pens and brushes; a new one replaces the current one.
bool selectPen(DeviceContextHandle deviceContext, std::uint32_t colour, int width);
bool selectBrush(DeviceContextHandle deviceContext, std::uint32_t colour);
bool setWorldTransform(DeviceContextHandle deviceContext, const Xform& transform);
bool getWorldTransform(DeviceContextHandle deviceContext, Xform& transform);
// Whether the display works through a palette. This layer drives TrueColor visuals only,
// so the answer is false; it is asked so that palette code has one place to look.
bool hasPalette(DeviceContextHandle deviceContext);

// Shapes in world coordinates. rectangle and polygon fill with the brush and outline
// with the pen; fillRectangle fills only; lineTo draws with the pen from the current
// position, which moveTo sets.
bool moveTo(DeviceContextHandle deviceContext, float x, float y);
bool lineTo(DeviceContextHandle deviceContext, float x, float y);
bool rectangle(DeviceContextHandle deviceContext, float left, float top, float right, float bottom);
bool fillRectangle(DeviceContextHandle deviceContext, float left, float top, float right,
                   float bottom);
bool polygon(DeviceContextHandle deviceContext, const FloatPoint* points, int count);

} // namespace orvane::native
