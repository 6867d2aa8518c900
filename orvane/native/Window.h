#pragma once

#include "orvane/native/ThreadQueue.h"

#include <cstdint>
#include <string>

namespace orvane::native {

// A window procedure: receives every message of the windows that use it and answers a
// message-specific result.
using WindowProcedure = std::intptr_t (*)(WindowHandle window, std::uint32_t message,
                                          std::uintptr_t wParam, std::intptr_t lParam);

struct Point {
    int x = 0;
    int y = 0;
};

// Left and top inside, right and bottom outside the rectangle.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const noexcept { return right - left; }
    int height() const noexcept { return bottom - top; }
    bool isEmpty() const noexcept { return right <= left || bottom <= top; }
};

// A window class: the procedure and settings shared by the windows created from it.
struct WindowClass {
    const char* name = nullptr;
    std::uint32_t style = 0;
    WindowProcedure procedure = nullptr;
    // Bytes of per-window storage reachable with get/setWindowWord, in pointer-sized words.
    int extraBytes = 0;
    // Background painted where a window is exposed or erased: a colour 0x00BBGGRR, or
    // noBackground to leave the contents alone (views drawn entirely by OpenGL).
    std::uint32_t background = 0x00FFFFFF;
    static constexpr std::uint32_t noBackground = 0xFFFFFFFF;
};

// The X visual a window is made with. X fixes a window's visual at creation, so a view
// that renders with OpenGL asks for the visual of its chosen frame-buffer configuration.
// A zero id means the parent's visual.
struct VisualChoice {
    std::uint64_t id = 0;
    int depth = 0;
};

inline constexpr int USE_DEFAULT = int(0x80000000);

// The arguments of createWindow.
struct WindowCreation {
    const char* className = nullptr;
    const char* title = nullptr;
    std::uint32_t style = 0;
    std::uint32_t extendedStyle = 0;
    // Client-area position and size; the position is relative to the parent's client area
    // for a child and to the screen otherwise. USE_DEFAULT lets the window manager place it.
    int x = USE_DEFAULT;
    int y = USE_DEFAULT;
    int width = 0;
    int height = 0;
    WindowHandle parent = nullptr;
    // Handed to the procedure with WM_CREATE (CreateStruct::createParameter).
    void* createParameter = nullptr;
    VisualChoice visual;
};

// lParam of WM_CREATE.
struct CreateStruct {
    void* createParameter;
    WindowHandle parent;
    int x, y, width, height;
    std::uint32_t style;
    const char* title;
    const char* className;
};

// lParam of WM_GETMINMAXINFO: the procedure fills in the limits of the client size.
struct MinMaxInfo {
    Point minimumTrackSize;
    Point maximumTrackSize;
};

// Windows.
//
// A window belongs to the thread that created it: its messages are retrieved by that
// thread's getMessage, its procedure runs there, and only that thread may destroy it or
// call its procedure. Invalidation, isWindow, posting and the operations documented as
// such are safe from any thread; operations that change a window's appearance (title,
// position, visibility) called from another thread are carried out by the owning thread
// when it next looks at its queue.
//
// Creation sends, in this order: WM_CREATE, WM_GETMINMAXINFO (top-level windows only;
// its limits become the window manager's size hints and clamp the size), WM_SIZE and
// WM_MOVE. Later geometry changes of a
// top-level window arrive from the window manager as WM_SIZE and WM_MOVE; a child window
// receives them when setWindowPosition changes it.

// Registers a class for this process. False when the name is taken or incomplete.
bool registerClass(const WindowClass& windowClass);
bool isClassRegistered(const char* name);

// Creates a window on the calling thread, opening the thread's X connection when it has
// none. Null on failure; lastError() tells why.
WindowHandle createWindow(const WindowCreation& creation);
// Sends WM_DESTROY to the window and to its children, then destroys them. False for an
// unknown window or when called from another thread than the owner.
bool destroyWindow(WindowHandle window);
// Whether the handle names a live window (any thread). Handles are never reused, so the
// handle of a destroyed window answers false for the rest of the process.
bool isWindow(WindowHandle window);
WindowHandle getParent(WindowHandle window);

// Calls the window's procedure now (owner thread); 0 for an unknown window.
std::intptr_t sendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                          std::intptr_t lParam);
// Queues a message for the window on its owner's queue (any thread).
bool postMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                 std::intptr_t lParam);
// What a window does with a message its procedure leaves alone: WM_PAINT validates,
// WM_ERASEBKGND paints the class background, WM_CLOSE destroys the window,
// WM_GETMINMAXINFO and everything else answer 0.
std::intptr_t defaultProcedure(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam);

// Subclassing: installs a new procedure and answers the one it replaces (null for an
// unknown window). The replaced procedure is usually called for what the new one leaves.
WindowProcedure setProcedure(WindowHandle window, WindowProcedure procedure);
WindowProcedure getProcedure(WindowHandle window);
// One pointer-sized slot free for the window's owner; answers the previous value.
std::intptr_t setUserData(WindowHandle window, std::intptr_t value);
std::intptr_t getUserData(WindowHandle window);
// The class's extra bytes, by byte offset of a pointer-sized word; answers the previous value.
std::intptr_t setWindowWord(WindowHandle window, int offset, std::intptr_t value);
std::intptr_t getWindowWord(WindowHandle window, int offset);

bool showWindow(WindowHandle window, bool visible);
// Sends WM_PAINT now when the window has an invalid area.
bool updateWindow(WindowHandle window);
bool setWindowText(WindowHandle window, const char* text);
std::string getWindowText(WindowHandle window);
// Moves and/or resizes the client area (SWP_NOMOVE, SWP_NOSIZE); a top-level window's
// size is held within the limits of its last WM_GETMINMAXINFO.
bool setWindowPosition(WindowHandle window, int x, int y, int width, int height,
                       std::uint32_t flags);
// Asks the procedure again for the window's size limits (WM_GETMINMAXINFO).
bool refreshSizeHints(WindowHandle window);
// (0, 0, width, height) of the client area as last reported.
bool getClientRect(WindowHandle window, Rect& rect);
// Client coordinates of the window to screen coordinates.
bool clientToScreen(WindowHandle window, Point& point);

// Marks the whole client area (rect null) or a part of it invalid; the owner thread gets
// one WM_PAINT for it when nothing else is pending. Safe from any thread.
bool invalidateRect(WindowHandle window, const Rect* rect, bool erase);
// Marks the window valid again (rect is ignored: validation is always whole).
bool validateRect(WindowHandle window, const Rect* rect);

// Asks for one WM_MOUSELEAVE when the pointer next leaves the window.
bool trackMouseLeave(WindowHandle window);

// Whether a child window hears the keyboard itself (WM_KEYDOWN, WM_KEYUP and so WM_CHAR)
// instead of leaving its keys to its top-level window, as children do by default: once
// on, the child hears every key its top-level window is given, wherever the pointer is
// (the first such child in creation order, when several asked). Top-level windows hear
// their keys while none of their children asked. Owner thread; false for an unknown
// window.
bool setKeyboardInput(WindowHandle window, bool on);

// Whether the key is held down, as far as the calling thread's input has shown so far.
bool isKeyDown(std::uint32_t virtualKey);

// The X window behind a handle, for code that talks to X or GLX on its own; 0 if unknown.
std::uint64_t nativeWindowId(WindowHandle window);

} // namespace orvane::native
