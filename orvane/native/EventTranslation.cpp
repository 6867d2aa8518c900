#include "orvane/native/Messages.h"
#include "orvane/native/WindowRecord.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace orvane::native {
namespace {

// Messages report the generic key for either of a left/right pair.
std::uint32_t reportedKey(std::uint32_t key) {
    switch (key) {
    case VK_LSHIFT:
    case VK_RSHIFT:
        return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
        return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
        return VK_MENU;
    default:
        return key;
    }
}

std::uint32_t buttonFlag(unsigned button) {
    switch (button) {
    case Button1:
        return MK_LBUTTON;
    case Button2:
        return MK_MBUTTON;
    case Button3:
        return MK_RBUTTON;
    default:
        return 0;
    }
}

// The key-state word of mouse messages from an X modifier state.
std::uint32_t keyState(unsigned state) {
    std::uint32_t flags = 0;
    if (state & Button1Mask)
        flags |= MK_LBUTTON;
    if (state & Button2Mask)
        flags |= MK_MBUTTON;
    if (state & Button3Mask)
        flags |= MK_RBUTTON;
    if (state & ShiftMask)
        flags |= MK_SHIFT;
    if (state & ControlMask)
        flags |= MK_CONTROL;
    return flags;
}

void push(ThreadState& state, WindowRecord* window, std::uint32_t message, std::uintptr_t wParam,
          std::intptr_t lParam, std::uint32_t character = 0) {
    state.input.push_back(NativeMessage{window->handle, message, wParam, lParam, character});
}

std::intptr_t keyParameter(unsigned keycode, bool previouslyDown, bool release) {
    std::intptr_t value = 1 | std::intptr_t((keycode - 8) & 0xFF) << 16;
    if (previouslyDown)
        value |= KEY_PREVIOUSLY_DOWN;
    if (release)
        value |= KEY_TRANSITION_UP;
    return value;
}

// The character a key press types, 0 for none (Delete types nothing, as elsewhere).
std::uint32_t typedCharacter(XKeyEvent& event) {
    char text[8];
    KeySym keysym = 0;
    int length = XLookupString(&event, text, sizeof text, &keysym, nullptr);
    if (length != 1 || keysym == XK_Delete || keysym == XK_KP_Delete)
        return 0;
    return static_cast<unsigned char>(text[0]);
}

// The window that hears a key X reported for `window`: the first descendant that asked for
// the keyboard, else the window itself. X gives a key to the child under the pointer only
// while the pointer is over it; otherwise the top-level window gets it.
WindowRecord* keyboardWindow(WindowRecord* window) {
    for (WindowRecord* child : window->children) {
        if (child->hearsKeys)
            return child;
        if (WindowRecord* below = keyboardWindow(child); below != child)
            return below;
    }
    return window;
}

void keyPressed(ThreadState& state, WindowRecord* window, XKeyEvent& event) {
    window = keyboardWindow(window);
    std::uint32_t key = virtualKeyOf(state.display, event.keycode);
    std::uint32_t character = typedCharacter(event);
    if (!key) {
        if (character)
            push(state, window, WM_CHAR, character, keyParameter(event.keycode, false, false));
        return;
    }
    // With detectable auto-repeat a held key sends presses only; the key-state table
    // tells a repeat from a first press.
    bool repeat = state.keysDown[key];
    state.keysDown[key] = true;
    push(state, window, WM_KEYDOWN, reportedKey(key), keyParameter(event.keycode, repeat, false),
         character);
}

// Without detectable auto-repeat the server sends a release immediately followed by a
// press with the same time for every repeat; such a release is not a real one.
bool isRepeatRelease(ThreadState& state, const XKeyEvent& release) {
    if (state.detectableAutoRepeat || XEventsQueued(state.display, QueuedAfterReading) == 0)
        return false;
    XEvent next;
    XPeekEvent(state.display, &next);
    return next.type == KeyPress && next.xkey.keycode == release.keycode &&
           next.xkey.time == release.time;
}

void keyReleased(ThreadState& state, WindowRecord* window, XKeyEvent& event) {
    window = keyboardWindow(window);
    std::uint32_t key = virtualKeyOf(state.display, event.keycode);
    if (!key || isRepeatRelease(state, event))
        return;
    state.keysDown[key] = false;
    push(state, window, WM_KEYUP, reportedKey(key), keyParameter(event.keycode, true, true));
}

void buttonPressed(ThreadState& state, WindowRecord* window, const XButtonEvent& event) {
    std::uint32_t flags = keyState(event.state) | buttonFlag(event.button);
    switch (event.button) {
    case Button1:
        return push(state, window, WM_LBUTTONDOWN, flags, makeLParam(event.x, event.y));
    case Button2:
        return push(state, window, WM_MBUTTONDOWN, flags, makeLParam(event.x, event.y));
    case Button3:
        return push(state, window, WM_RBUTTONDOWN, flags, makeLParam(event.x, event.y));
    case Button4: // wheel turned away from the user
    case Button5: // toward the user
    {
        int delta = event.button == Button4 ? WHEEL_DELTA : -WHEEL_DELTA;
        return push(state, window, WM_MOUSEWHEEL, makeWParam(int(flags), delta),
                    makeLParam(event.x_root, event.y_root));
    }
    default:
        return;
    }
}

void buttonReleased(ThreadState& state, WindowRecord* window, const XButtonEvent& event) {
    std::uint32_t flags = keyState(event.state) & ~buttonFlag(event.button);
    std::intptr_t at = makeLParam(event.x, event.y);
    switch (event.button) {
    case Button1:
        return push(state, window, WM_LBUTTONUP, flags, at);
    case Button2:
        return push(state, window, WM_MBUTTONUP, flags, at);
    case Button3:
        return push(state, window, WM_RBUTTONUP, flags, at);
    default:
        return;
    }
}

// Consecutive moves over one window that nobody has looked at yet collapse into the last.
void pointerMoved(ThreadState& state, WindowRecord* window, const XMotionEvent& event) {
    NativeMessage move{window->handle, WM_MOUSEMOVE, keyState(event.state),
                       makeLParam(event.x, event.y), 0};
    if (!state.input.empty() && state.input.back().window == window->handle &&
        state.input.back().message == WM_MOUSEMOVE)
        state.input.back() = move;
    else
        state.input.push_back(move);
}

void pointerLeft(ThreadState& state, WindowRecord* window) {
    if (!window->trackingLeave)
        return;
    window->trackingLeave = false;
    push(state, window, WM_MOUSELEAVE, 0, 0);
}

void focusChanged(ThreadState& state, WindowRecord* window, const XFocusChangeEvent& event) {
    bool ownsFocus = event.detail != NotifyInferior && event.detail != NotifyPointerRoot &&
                     event.detail != NotifyDetailNone;
    if (window->isChild() || !ownsFocus || event.mode == NotifyGrab || event.mode == NotifyUngrab)
        return;
    bool active = event.type == FocusIn;
    if (active == window->active)
        return;
    window->active = active;
    push(state, window, WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0);
}

void configured(ThreadState& state, WindowRecord* window, const XConfigureEvent& event) {
    if (window->isChild() || event.window != window->xid)
        return;
    int x = event.x, y = event.y;
    // A synthetic event from the window manager carries root coordinates; a real one is
    // relative to the (possibly reparented) parent.
    if (!event.send_event) {
        Window child;
        XTranslateCoordinates(state.display, window->xid, DefaultRootWindow(state.display), 0, 0,
                              &x, &y, &child);
    }
    reportGeometry(*window, x, y, event.width, event.height, Delivery::queue);
}

void translate(ThreadState& state, XEvent& event) {
    if (event.type == KeymapNotify)
        return synchroniseKeys(state, event.xkeymap.key_vector);
    if (event.type == MappingNotify) {
        XRefreshKeyboardMapping(&event.xmapping);
        return;
    }
    auto found = state.windowsById.find(event.xany.window);
    if (found == state.windowsById.end())
        return;
    WindowRecord* window = found->second;
    switch (event.type) {
    case Expose: {
        Rect area{event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                  event.xexpose.y + event.xexpose.height};
        return invalidate(*window, &area, true);
    }
    case ConfigureNotify:
        return configured(state, window, event.xconfigure);
    case ClientMessage:
        if (event.xclient.message_type == state.wmProtocols &&
            Atom(event.xclient.data.l[0]) == state.wmDeleteWindow)
            push(state, window, WM_CLOSE, 0, 0);
        return;
    case FocusIn:
    case FocusOut:
        return focusChanged(state, window, event.xfocus);
    case KeyPress:
        return keyPressed(state, window, event.xkey);
    case KeyRelease:
        return keyReleased(state, window, event.xkey);
    case ButtonPress:
        return buttonPressed(state, window, event.xbutton);
    case ButtonRelease:
        return buttonReleased(state, window, event.xbutton);
    case MotionNotify:
        return pointerMoved(state, window, event.xmotion);
    case LeaveNotify:
        return pointerLeft(state, window);
    case MapNotify:
        window->mapped = true;
        return;
    case UnmapNotify:
        window->mapped = false;
        return;
    default:
        return;
    }
}

} // namespace

void pumpEvents(ThreadState& state) {
    while (XPending(state.display) > 0) {
        XEvent event;
        XNextEvent(state.display, &event);
        translate(state, event);
    }
}

} // namespace orvane::native
