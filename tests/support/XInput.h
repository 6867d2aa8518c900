#pragma once

// Synthetic input for window tests: a connection of the test's own to the display, the
// XTest extension to move the pointer and press buttons and keys, and a lock that keeps
// the tests sharing one display from disturbing each other's pointer and windows.

// Include it after GoogleTest: Xlib's macros (None, Bool, Status) collide with gtest's names.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace orvane::test {

// Held for the whole of a test that maps windows or synthesises input: the pointer, the
// keyboard and the stacking order belong to the display, which parallel test processes
// share.
class DisplayLock {
public:
    DisplayLock() {
        std::string name = "/tmp/orvane-display";
        if (const char* display = std::getenv("DISPLAY"))
            for (const char* c = display; *c; ++c)
                name += (*c == ':' || *c == '/') ? '-' : *c;
        fd = open((name + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd >= 0)
            flock(fd, LOCK_EX);
    }
    ~DisplayLock() {
        if (fd >= 0)
            close(fd); // releases the lock
    }
    DisplayLock(const DisplayLock&) = delete;
    DisplayLock& operator=(const DisplayLock&) = delete;

private:
    int fd = -1;
};

class XInput {
public:
    XInput()
        : display(XOpenDisplay(nullptr)) {}
    ~XInput() {
        if (display) {
            releaseEverything();
            XCloseDisplay(display);
        }
    }
    XInput(const XInput&) = delete;
    XInput& operator=(const XInput&) = delete;

    explicit operator bool() const { return display != nullptr; }
    Display* get() const { return display; }

    void moveTo(int x, int y) {
        XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
        XSync(display, False);
    }
    // Moves the pointer to the screen's bottom-right corner, where no test puts a window:
    // with the focus following the pointer, a window under it would take the keyboard.
    void parkPointer() {
        moveTo(DisplayWidth(display, DefaultScreen(display)) - 1,
               DisplayHeight(display, DefaultScreen(display)) - 1);
    }
    void button(unsigned number, bool down) {
        XTestFakeButtonEvent(display, number, down, CurrentTime);
        XSync(display, False);
    }
    void click(unsigned number) {
        button(number, true);
        button(number, false);
    }
    void key(KeySym symbol, bool down) {
        KeyCode code = XKeysymToKeycode(display, symbol);
        XTestFakeKeyEvent(display, code, down, CurrentTime);
        XSync(display, False);
        if (down)
            held.push_back(code);
    }
    void focus(std::uint64_t window) {
        XSetInputFocus(display, Window(window), RevertToPointerRoot, CurrentTime);
        XSync(display, False);
    }
    void sendDeleteWindow(std::uint64_t window) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = Window(window);
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, Window(window), False, NoEventMask, &event);
        XSync(display, False);
    }
    // The top-level windows on the display now, as the server sees them: asked without
    // waiting, so a window its client destroyed is gone only if the server has already
    // carried out the request.
    std::vector<::Window> topLevelWindows() {
        ::Window root, parent, *children = nullptr;
        unsigned count = 0;
        std::vector<::Window> windows;
        if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
            windows.assign(children, children + count);
        if (children)
            XFree(children);
        return windows;
    }
    bool isTopLevel(std::uint64_t window) {
        for (::Window shown : topLevelWindows())
            if (shown == ::Window(window))
                return true;
        return false;
    }
    int windowsTitled(const std::string& title) {
        int found = 0;
        for (::Window shown : topLevelWindows()) {
            char* name = nullptr;
            if (XFetchName(display, shown, &name) && name) {
                found += title == name;
                XFree(name);
            }
        }
        return found;
    }
    // The colour of one pixel of a window as 0xRRGGBB.
    unsigned long pixel(std::uint64_t window, int x, int y) {
        XImage* image = XGetImage(display, Window(window), x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return ~0ul;
        unsigned long value = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        return value & 0xFFFFFF;
    }

private:
    // A test that stops half-way must not leave keys or buttons down for the next one.
    void releaseEverything() {
        for (KeyCode code : held)
            XTestFakeKeyEvent(display, code, False, CurrentTime);
        for (unsigned number = 1; number <= 5; ++number)
            XTestFakeButtonEvent(display, number, False, CurrentTime);
        XSync(display, False);
    }

    Display* display;
    std::vector<KeyCode> held;
};

// Calls step until done answers true or the time runs out; answers done().
inline bool waitFor(const std::function<bool()>& done, const std::function<void()>& step,
                    std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        step();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace orvane::test
