#include "orvane/native/Display.h"

#include "orvane/native/ThreadState.h"

#include <X11/XKBlib.h>

#include <cstdlib>
#include <mutex>

namespace orvane::native {
namespace {

struct DisplaySettings {
    std::mutex lock;
    std::string name;
    std::string lastError;
};

DisplaySettings& settings() {
    static auto* shared = new DisplaySettings; // never destroyed: threads may outlive statics
    return *shared;
}

std::string displayName() {
    std::lock_guard guard(settings().lock);
    return settings().name;
}

// Protocol errors (a window destroyed by the server before our request reached it, a
// visual the server refuses) must not end the process, which Xlib's default handler does.
// The code is kept per thread so that the request's issuer can check for it.
thread_local int lastProtocolError = 0;

int recordProtocolError(Display*, XErrorEvent* error) {
    lastProtocolError = error->error_code;
    return 0;
}

void installErrorHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        XInitThreads();
        XSetErrorHandler(recordProtocolError);
    });
}

std::string describeUnreachable(const std::string& requested) {
    if (!requested.empty())
        return "cannot open X display \"" + requested + "\"";
    const char* variable = std::getenv("DISPLAY");
    if (!variable || !*variable)
        return "cannot open an X display: DISPLAY is not set";
    return std::string("cannot open X display \"") + variable + "\" (from DISPLAY)";
}

} // namespace

void setLastError(const std::string& text) {
    std::lock_guard guard(settings().lock);
    settings().lastError = text;
}

bool ensureConnection(ThreadState& state) {
    if (state.display)
        return true;
    installErrorHandler();
    std::string name = displayName();
    Display* display = XOpenDisplay(name.empty() ? nullptr : name.c_str());
    if (!display) {
        setLastError(describeUnreachable(name));
        return false;
    }
    state.display = display;
    state.wmProtocols = XInternAtom(display, "WM_PROTOCOLS", False);
    state.wmDeleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    state.wmPid = XInternAtom(display, "_NET_WM_PID", False);
    Bool supported = False;
    XkbSetDetectableAutoRepeat(display, True, &supported);
    state.detectableAutoRepeat = supported;
    return true;
}

void closeConnection(ThreadState& state) {
    if (!state.display)
        return;
    XCloseDisplay(state.display);
    state.display = nullptr;
}

int takeProtocolError() noexcept {
    int error = lastProtocolError;
    lastProtocolError = 0;
    return error;
}

void setDisplayName(const std::string& name) {
    std::lock_guard guard(settings().lock);
    settings().name = name;
}

bool isDisplayAvailable() {
    if (!ensureConnection(currentThreadState()))
        return false;
    setLastError("");
    return true;
}

std::string lastError() {
    std::lock_guard guard(settings().lock);
    return settings().lastError;
}

void synchronise() {
    ThreadState* state = existingThreadState();
    if (state && state->display)
        XSync(state->display, False);
}

} // namespace orvane::native
