#pragma once

// Internal to the native layer: included only by its own sources, never by a public header.

#include "orvane/native/DrawingContext.h"
#include "orvane/native/ThreadState.h"

#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace orvane::native {

struct ClassRecord {
    std::string name;
    std::uint32_t style;
    WindowProcedure procedure;
    int extraWords;
    std::uint32_t background;
};

// The drawing state of one window (every window owns exactly one).
struct DeviceContextRecord {
    WindowRecord* window = nullptr;
    GC gc = nullptr;
    std::uint32_t penColour = 0;
    int penWidth = 1;
    std::uint32_t brushColour = 0x00FFFFFF;
    Xform transform;
    FloatPoint current;
    // TrueColor channel layout of the window's visual.
    unsigned long redMask = 0, greenMask = 0, blueMask = 0;

    unsigned long pixelOf(std::uint32_t colour) const noexcept;
    FloatPoint map(float x, float y) const noexcept;
};

struct WindowRecord {
    WindowHandle handle = nullptr; // unique for the life of the process
    ThreadState* owner = nullptr;  // valid while the record is registered
    const ClassRecord* windowClass = nullptr;
    XID xid = 0;
    Colormap colormap = 0; // made for a visual other than the parent's, else 0
    WindowRecord* parent = nullptr;
    std::vector<WindowRecord*> children;

    WindowProcedure procedure = nullptr;
    std::intptr_t userData = 0;
    std::vector<std::intptr_t> extra;
    std::uint32_t style = 0;
    std::string title;

    // Last reported client geometry: position relative to the parent's client area, or
    // on the screen for a top-level window.
    int x = 0, y = 0, width = 0, height = 0;
    MinMaxInfo limits{{1, 1}, {32767, 32767}};
    bool mapped = false;
    bool active = false;
    bool trackingLeave = false;
    bool destroying = false;
    // A child that asked for the keyboard (setKeyboardInput).
    bool hearsKeys = false;

    // Invalid area, guarded by owner->lock (other threads invalidate).
    bool invalid = false;
    bool invalidWhole = false;
    bool erase = false;
    Rect invalidArea;
    // The area being painted, for the default erasing of WM_ERASEBKGND (owner only).
    Rect paintArea;

    DeviceContextRecord dc;

    bool isChild() const noexcept { return parent != nullptr; }
};

// The live window a handle names, or null. Any thread; the registry lock is held only
// during the lookup, so only the owner may keep using the record afterwards.
// A handle of a destroyed window names nothing, since handles are never reused.
WindowRecord* liveWindow(WindowHandle window) noexcept;
// Calls f(record) under the registry lock if the handle names a live window (used by
// other threads, which must not let a record out of the lock). Answers whether it did.
bool withLiveWindow(WindowHandle window, const std::function<void(WindowRecord&)>& f);
// The live window of the calling thread with that handle, or null.
WindowRecord* ownedWindow(WindowHandle window) noexcept;

// Records a geometry report and sends (or, for reports found among X events, queues
// behind the input that came before) WM_SIZE and WM_MOVE for what changed.
enum class Delivery { send, queue };
void reportGeometry(WindowRecord& window, int x, int y, int width, int height,
                    Delivery delivery = Delivery::send);
void invalidate(WindowRecord& window, const Rect* area, bool erase);
void validate(WindowRecord& window);
// The window a live drawing context belongs to, or null.
WindowRecord* liveDeviceContextWindow(DeviceContextHandle deviceContext) noexcept;

} // namespace orvane::native
