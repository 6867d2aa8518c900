#include "orvane/native/Window.h"

#include "orvane/native/Display.h"
#include "orvane/native/Messages.h"
#include "orvane/native/WindowRecord.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace orvane::native {
namespace {

struct ClassRegistry {
    std::mutex lock;
    std::map<std::string, std::unique_ptr<ClassRecord>> classes; // records never move
};

ClassRegistry& classRegistry() {
    static auto* registry = new ClassRegistry; // never destroyed: threads may outlive statics
    return *registry;
}

const ClassRecord* findClass(const char* name) {
    if (!name)
        return nullptr;
    std::lock_guard guard(classRegistry().lock);
    auto found = classRegistry().classes.find(name);
    return found == classRegistry().classes.end() ? nullptr : found->second.get();
}

// Every live window by handle, and every live drawing context, so that handles from any
// thread can be checked before they are followed.
struct WindowRegistry {
    std::mutex lock;
    std::unordered_map<WindowHandle, WindowRecord*> windows;
    std::unordered_set<const DeviceContextRecord*> contexts;
    // The serial number of the next window's handle; 0 names no window.
    std::uintptr_t nextHandle = 1;
};

WindowRegistry& windowRegistry() {
    static auto* registry = new WindowRegistry; // never destroyed: threads may outlive statics
    return *registry;
}

// Gives the window its handle and makes it reachable through it.
void registerWindow(WindowRecord* window) {
    WindowRegistry& registry = windowRegistry();
    std::lock_guard guard(registry.lock);
    window->handle = reinterpret_cast<WindowHandle>(registry.nextHandle++);
    registry.windows.emplace(window->handle, window);
    registry.contexts.insert(&window->dc);
}

void unregisterWindow(WindowRecord* window) {
    WindowRegistry& registry = windowRegistry();
    std::lock_guard guard(registry.lock);
    registry.windows.erase(window->handle);
    registry.contexts.erase(&window->dc);
}

constexpr long topLevelEvents = ExposureMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask |
                                ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                                EnterWindowMask | LeaveWindowMask | FocusChangeMask |
                                KeymapStateMask;
// Keys are not selected on child windows: they travel up to the top-level window, which
// hands them to its focus view, as keyboard focus does elsewhere.
constexpr long childEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask |
                             PointerMotionMask | EnterWindowMask | LeaveWindowMask;

struct VisualSetup {
    Visual* visual = nullptr;
    int depth = 0;
    Colormap colormap = 0;
};

// The visual for a new window: the requested one (with a colormap of its own) or the
// parent's.
bool chooseVisual(ThreadState& state, const WindowCreation& creation, WindowRecord* parent,
                  VisualSetup& setup) {
    Display* display = state.display;
    int screen = DefaultScreen(display);
    if (creation.visual.id == 0) {
        setup.visual = CopyFromParent;
        setup.depth = CopyFromParent;
        return true;
    }
    XVisualInfo wanted{};
    wanted.visualid = creation.visual.id;
    int count = 0;
    XVisualInfo* found = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
    if (!found) {
        setLastError("the requested X visual does not exist");
        return false;
    }
    setup.visual = found->visual;
    setup.depth = found->depth;
    XFree(found);
    Window root = RootWindow(display, screen);
    setup.colormap = XCreateColormap(display, parent ? parent->xid : root, setup.visual, AllocNone);
    return true;
}

// The channel masks drawing needs, from the visual the window ends up with.
void describeVisual(Display* display, Window xid, DeviceContextRecord& dc) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, xid, &attributes) || !attributes.visual)
        return;
    dc.redMask = attributes.visual->red_mask;
    dc.greenMask = attributes.visual->green_mask;
    dc.blueMask = attributes.visual->blue_mask;
}

bool createXWindow(ThreadState& state, const WindowCreation& creation, WindowRecord& window) {
    Display* display = state.display;
    VisualSetup setup;
    if (!chooseVisual(state, creation, window.parent, setup))
        return false;

    XSetWindowAttributes attributes{};
    unsigned long mask = CWEventMask | CWBitGravity;
    attributes.event_mask = window.isChild() ? childEvents : topLevelEvents;
    attributes.bit_gravity = ForgetGravity;
    if (setup.colormap) {
        attributes.colormap = setup.colormap;
        attributes.border_pixel = 0;
        mask |= CWColormap | CWBorderPixel;
    }
    attributes.background_pixmap = None;
    mask |= CWBackPixmap;

    Window parentId = window.parent ? window.parent->xid : DefaultRootWindow(display);
    int x = creation.x == USE_DEFAULT ? 0 : creation.x;
    int y = creation.y == USE_DEFAULT ? 0 : creation.y;
    unsigned width = unsigned(std::max(creation.width, 1));
    unsigned height = unsigned(std::max(creation.height, 1));
    takeProtocolError();
    window.xid = XCreateWindow(display, parentId, x, y, width, height, 0, setup.depth, InputOutput,
                               setup.visual, mask, &attributes);
    window.colormap = setup.colormap;
    XSync(display, False);
    if (int error = takeProtocolError()) {
        setLastError("the X server refused the window (error " + std::to_string(error) + ")");
        XDestroyWindow(display, window.xid);
        if (window.colormap)
            XFreeColormap(display, window.colormap);
        return false;
    }
    describeVisual(display, window.xid, window.dc);
    if (window.windowClass->background != WindowClass::noBackground)
        XSetWindowBackground(display, window.xid,
                             window.dc.pixelOf(window.windowClass->background));
    window.dc.gc = XCreateGC(display, window.xid, 0, nullptr);
    return true;
}

void describeTopLevel(ThreadState& state, WindowRecord& window, const WindowCreation& creation) {
    Display* display = state.display;
    XSetWMProtocols(display, window.xid, &state.wmDeleteWindow, 1);
    XStoreName(display, window.xid, window.title.c_str());
    // Lets window managers (and tests) tell which process a window belongs to.
    const unsigned long pid = static_cast<unsigned long>(getpid());
    XChangeProperty(display, window.xid, state.wmPid, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    XClassHint hint;
    std::string instance = "orvane";
    hint.res_name = instance.data();
    hint.res_class = const_cast<char*>(window.windowClass->name.c_str());
    XSetClassHint(display, window.xid, &hint);
    if (creation.x != USE_DEFAULT || creation.y != USE_DEFAULT) {
        XSizeHints hints{};
        hints.flags = PPosition | USPosition;
        hints.x = window.x;
        hints.y = window.y;
        XSetWMNormalHints(display, window.xid, &hints);
    }
}

void applySizeHints(WindowRecord& window) {
    if (window.isChild())
        return;
    XSizeHints hints{};
    long supplied = 0;
    XGetWMNormalHints(window.owner->display, window.xid, &hints, &supplied);
    hints.flags |= PMinSize | PMaxSize;
    hints.min_width = std::max(window.limits.minimumTrackSize.x, 1);
    hints.min_height = std::max(window.limits.minimumTrackSize.y, 1);
    hints.max_width = std::max(window.limits.maximumTrackSize.x, hints.min_width);
    hints.max_height = std::max(window.limits.maximumTrackSize.y, hints.min_height);
    XSetWMNormalHints(window.owner->display, window.xid, &hints);
}

void querySizeLimits(WindowHandle handle, WindowRecord& window) {
    MinMaxInfo info = window.limits;
    window.procedure(handle, WM_GETMINMAXINFO, 0, reinterpret_cast<std::intptr_t>(&info));
    if (WindowRecord* still = ownedWindow(handle)) {
        still->limits = info;
        applySizeHints(*still);
    }
}

int clampToLimits(int value, int minimum, int maximum) {
    return std::max(std::min(value, std::max(maximum, minimum)), minimum);
}

void collectSubtree(WindowRecord* window, std::vector<WindowRecord*>& into) {
    into.push_back(window);
    for (WindowRecord* child : window->children)
        collectSubtree(child, into);
}

void detachFromParent(WindowRecord* window) {
    auto& siblings = window->parent ? window->parent->children : window->owner->topLevelWindows;
    std::erase(siblings, window);
}

// Frees the records of a subtree whose X windows are gone or about to go.
void freeSubtree(ThreadState& state, WindowRecord* window) {
    std::vector<WindowRecord*> subtree;
    collectSubtree(window, subtree);
    detachFromParent(window);
    for (auto it = subtree.rbegin(); it != subtree.rend(); ++it) {
        WindowRecord* record = *it;
        unregisterWindow(record);
        state.windowsById.erase(record->xid);
        forgetMessagesFor(state, record);
        if (state.display) {
            XFreeGC(state.display, record->dc.gc);
            if (record->colormap)
                XFreeColormap(state.display, record->colormap);
        }
        delete record;
    }
}

// Runs f on the window's owner thread: now when that is the calling thread, else as a
// request the owner carries out when it next looks at its queue.
bool onOwner(WindowHandle handle, std::function<void(WindowRecord&)> f) {
    if (WindowRecord* window = ownedWindow(handle)) {
        f(*window);
        return true;
    }
    ThreadState* ownerToWake = nullptr;
    bool found = withLiveWindow(handle, [&](WindowRecord& window) {
        std::lock_guard guard(window.owner->lock);
        window.owner->requests.push_back([handle, f] {
            if (WindowRecord* owned = ownedWindow(handle))
                f(*owned);
        });
        ownerToWake = window.owner;
        ownerToWake->wake();
    });
    return found;
}

} // namespace

namespace {
// The record behind a handle; the caller holds the registry lock.
WindowRecord* findWindow(WindowHandle window) {
    const auto& windows = windowRegistry().windows;
    auto found = window ? windows.find(window) : windows.end();
    return found == windows.end() ? nullptr : found->second;
}
} // namespace

WindowRecord* liveWindow(WindowHandle window) noexcept {
    std::lock_guard guard(windowRegistry().lock);
    return findWindow(window);
}

bool withLiveWindow(WindowHandle window, const std::function<void(WindowRecord&)>& f) {
    std::lock_guard guard(windowRegistry().lock);
    WindowRecord* record = findWindow(window);
    if (!record)
        return false;
    f(*record);
    return true;
}

WindowRecord* ownedWindow(WindowHandle window) noexcept {
    WindowRecord* record = liveWindow(window);
    ThreadState* state = existingThreadState();
    return record && state && record->owner == state ? record : nullptr;
}

WindowRecord* liveDeviceContextWindow(DeviceContextHandle deviceContext) noexcept {
    if (!deviceContext)
        return nullptr;
    std::lock_guard guard(windowRegistry().lock);
    return windowRegistry().contexts.contains(deviceContext) ? deviceContext->window : nullptr;
}

void reportGeometry(WindowRecord& window, int x, int y, int width, int height, Delivery delivery) {
    WindowHandle handle = window.handle;
    bool sized = width != window.width || height != window.height;
    bool moved = x != window.x || y != window.y;
    window.width = width, window.height = height;
    window.x = x, window.y = y;
    NativeMessage messages[2];
    int count = 0;
    if (sized)
        messages[count++] = {handle, WM_SIZE, SIZE_RESTORED, makeLParam(width, height), 0};
    if (moved)
        messages[count++] = {handle, WM_MOVE, 0, makeLParam(x, y), 0};
    for (int i = 0; i < count; ++i) {
        if (delivery == Delivery::queue)
            window.owner->input.push_back(messages[i]);
        else if (ownedWindow(handle))
            window.procedure(handle, messages[i].message, messages[i].wParam, messages[i].lParam);
    }
}

void invalidate(WindowRecord& window, const Rect* area, bool erase) {
    std::lock_guard guard(window.owner->lock);
    if (!window.invalid) {
        window.invalid = true;
        window.invalidWhole = false;
        window.invalidArea = Rect{};
        window.owner->invalidWindows.push_back(&window);
    }
    if (!area) {
        window.invalidWhole = true;
    } else if (window.invalidArea.isEmpty()) {
        window.invalidArea = *area;
    } else {
        Rect& a = window.invalidArea;
        a = Rect{std::min(a.left, area->left), std::min(a.top, area->top),
                 std::max(a.right, area->right), std::max(a.bottom, area->bottom)};
    }
    window.erase = window.erase || erase;
}

void validate(WindowRecord& window) {
    std::lock_guard guard(window.owner->lock);
    if (!window.invalid)
        return;
    window.invalid = window.erase = window.invalidWhole = false;
    std::erase(window.owner->invalidWindows, &window);
}

bool registerClass(const WindowClass& windowClass) {
    if (!windowClass.name || !*windowClass.name || !windowClass.procedure ||
        windowClass.extraBytes < 0)
        return false;
    std::lock_guard guard(classRegistry().lock);
    auto& slot = classRegistry().classes[windowClass.name];
    if (slot)
        return false;
    int words = int((windowClass.extraBytes + sizeof(std::intptr_t) - 1) / sizeof(std::intptr_t));
    slot = std::make_unique<ClassRecord>(ClassRecord{
        windowClass.name, windowClass.style, windowClass.procedure, words, windowClass.background});
    return true;
}

bool isClassRegistered(const char* name) {
    return findClass(name) != nullptr;
}

WindowHandle createWindow(const WindowCreation& creation) {
    const ClassRecord* windowClass = findClass(creation.className);
    if (!windowClass) {
        setLastError(std::string("no window class \"") +
                     (creation.className ? creation.className : "") + "\"");
        return nullptr;
    }
    ThreadState& state = currentThreadState();
    WindowRecord* parent = nullptr;
    if (creation.parent && !(parent = ownedWindow(creation.parent))) {
        setLastError("the parent window does not exist or belongs to another thread");
        return nullptr;
    }
    if (!ensureConnection(state))
        return nullptr;

    bool child = (creation.style & WS_CHILD) && parent;
    auto window = std::make_unique<WindowRecord>();
    window->owner = &state;
    window->windowClass = windowClass;
    window->parent = child ? parent : nullptr;
    window->procedure = windowClass->procedure;
    window->extra.assign(std::size_t(windowClass->extraWords), 0);
    window->style = creation.style;
    window->title = creation.title ? creation.title : "";
    window->dc.window = window.get();
    if (!createXWindow(state, creation, *window))
        return nullptr;
    if (!child)
        describeTopLevel(state, *window, creation);

    WindowRecord* record = window.release();
    state.windowsById[record->xid] = record;
    (record->parent ? record->parent->children : state.topLevelWindows).push_back(record);
    registerWindow(record);
    WindowHandle handle = record->handle;
    setLastError("");

    CreateStruct created{creation.createParameter,
                         record->parent ? record->parent->handle : nullptr,
                         creation.x,
                         creation.y,
                         creation.width,
                         creation.height,
                         creation.style,
                         record->title.c_str(),
                         windowClass->name.c_str()};
    if (record->procedure(handle, WM_CREATE, 0, reinterpret_cast<std::intptr_t>(&created)) == -1) {
        destroyWindow(handle);
        setLastError("the window procedure refused WM_CREATE");
        return nullptr;
    }
    if (!ownedWindow(handle))
        return nullptr;
    if (!child)
        querySizeLimits(handle, *record);
    if (!(record = ownedWindow(handle)))
        return nullptr;

    int width = std::max(creation.width, 0), height = std::max(creation.height, 0);
    if (!child) {
        width = clampToLimits(width, record->limits.minimumTrackSize.x,
                              record->limits.maximumTrackSize.x);
        height = clampToLimits(height, record->limits.minimumTrackSize.y,
                               record->limits.maximumTrackSize.y);
        XResizeWindow(state.display, record->xid, unsigned(std::max(width, 1)),
                      unsigned(std::max(height, 1)));
    }
    if (creation.style & WS_VISIBLE) {
        XMapWindow(state.display, record->xid);
        record->mapped = true;
    }
    // Impossible values make the first report send both WM_SIZE and WM_MOVE.
    record->width = record->height = -1;
    record->x = record->y = -1 << 20;
    reportGeometry(*record, creation.x == USE_DEFAULT ? 0 : creation.x,
                   creation.y == USE_DEFAULT ? 0 : creation.y, width, height);
    return ownedWindow(handle) ? handle : nullptr;
}

bool destroyWindow(WindowHandle handle) {
    WindowRecord* window = ownedWindow(handle);
    if (!window)
        return false;
    if (window->destroying)
        return true; // already on its way, as part of its parent or from its own WM_DESTROY
    std::vector<WindowRecord*> subtree;
    collectSubtree(window, subtree);
    for (WindowRecord* record : subtree)
        record->destroying = true;
    // Parents learn first, then their children, as the records are laid out.
    for (WindowRecord* record : subtree)
        record->procedure(record->handle, WM_DESTROY, 0, 0);
    ThreadState& state = *window->owner;
    XDestroyWindow(state.display, window->xid);
    freeSubtree(state, window);
    return true;
}

void abandonWindows(ThreadState& state) {
    while (!state.topLevelWindows.empty()) {
        WindowRecord* window = state.topLevelWindows.back();
        // Destroyed by request rather than left to the server's cleanup of the connection,
        // which it does in its own time: the connection's closing sync then covers it.
        if (state.display)
            XDestroyWindow(state.display, window->xid);
        freeSubtree(state, window);
    }
}

bool isWindow(WindowHandle window) {
    return liveWindow(window) != nullptr;
}

WindowHandle getParent(WindowHandle handle) {
    WindowRecord* window = ownedWindow(handle);
    return window && window->parent ? window->parent->handle : nullptr;
}

std::intptr_t sendMessage(WindowHandle handle, std::uint32_t message, std::uintptr_t wParam,
                          std::intptr_t lParam) {
    WindowRecord* window = ownedWindow(handle);
    return window ? window->procedure(handle, message, wParam, lParam) : 0;
}

bool postMessage(WindowHandle handle, std::uint32_t message, std::uintptr_t wParam,
                 std::intptr_t lParam) {
    ThreadState* ownerToWake = nullptr;
    return withLiveWindow(handle, [&](WindowRecord& window) {
        {
            std::lock_guard guard(window.owner->lock);
            window.owner->posted.push_back(NativeMessage{handle, message, wParam, lParam, 0});
        }
        ownerToWake = window.owner;
        ownerToWake->wake();
    });
}

std::intptr_t defaultProcedure(WindowHandle handle, std::uint32_t message, std::uintptr_t,
                               std::intptr_t) {
    WindowRecord* window = ownedWindow(handle);
    if (!window)
        return 0;
    switch (message) {
    case WM_PAINT: {
        PaintStruct paint;
        if (beginPaint(handle, paint))
            endPaint(handle, paint);
        return 0;
    }
    case WM_ERASEBKGND: {
        if (window->windowClass->background == WindowClass::noBackground)
            return 0;
        const Rect& area = window->paintArea;
        XClearArea(window->owner->display, window->xid, area.left, area.top,
                   unsigned(std::max(area.width(), 0)), unsigned(std::max(area.height(), 0)),
                   False);
        return 1;
    }
    case WM_CLOSE:
        destroyWindow(handle);
        return 0;
    default:
        return 0;
    }
}

WindowProcedure setProcedure(WindowHandle handle, WindowProcedure procedure) {
    WindowRecord* window = ownedWindow(handle);
    if (!window || !procedure)
        return nullptr;
    return std::exchange(window->procedure, procedure);
}

WindowProcedure getProcedure(WindowHandle handle) {
    WindowRecord* window = ownedWindow(handle);
    return window ? window->procedure : nullptr;
}

std::intptr_t setUserData(WindowHandle handle, std::intptr_t value) {
    WindowRecord* window = ownedWindow(handle);
    return window ? std::exchange(window->userData, value) : 0;
}

std::intptr_t getUserData(WindowHandle handle) {
    WindowRecord* window = ownedWindow(handle);
    return window ? window->userData : 0;
}

namespace {
std::intptr_t* extraWord(WindowHandle handle, int offset) {
    WindowRecord* window = ownedWindow(handle);
    if (!window || offset < 0 || offset % int(sizeof(std::intptr_t)) != 0)
        return nullptr;
    std::size_t index = std::size_t(offset) / sizeof(std::intptr_t);
    return index < window->extra.size() ? &window->extra[index] : nullptr;
}
} // namespace

std::intptr_t setWindowWord(WindowHandle handle, int offset, std::intptr_t value) {
    std::intptr_t* word = extraWord(handle, offset);
    return word ? std::exchange(*word, value) : 0;
}

std::intptr_t getWindowWord(WindowHandle handle, int offset) {
    std::intptr_t* word = extraWord(handle, offset);
    return word ? *word : 0;
}

bool showWindow(WindowHandle handle, bool visible) {
    return onOwner(handle, [visible](WindowRecord& window) {
        Display* display = window.owner->display;
        if (visible)
            XMapWindow(display, window.xid);
        else
            XUnmapWindow(display, window.xid);
        window.mapped = visible;
    });
}

bool updateWindow(WindowHandle handle) {
    WindowRecord* window = ownedWindow(handle);
    if (!window)
        return false;
    bool invalid;
    {
        std::lock_guard guard(window->owner->lock);
        invalid = window->invalid;
    }
    if (invalid)
        window->procedure(handle, WM_PAINT, 0, 0);
    return true;
}

bool setWindowText(WindowHandle handle, const char* text) {
    std::string title = text ? text : "";
    return onOwner(handle, [title](WindowRecord& window) {
        window.title = title;
        XStoreName(window.owner->display, window.xid, title.c_str());
    });
}

std::string getWindowText(WindowHandle handle) {
    WindowRecord* window = ownedWindow(handle);
    return window ? window->title : std::string();
}

bool setWindowPosition(WindowHandle handle, int x, int y, int width, int height,
                       std::uint32_t flags) {
    return onOwner(handle, [=](WindowRecord& window) {
        Display* display = window.owner->display;
        int newX = flags & SWP_NOMOVE ? window.x : x;
        int newY = flags & SWP_NOMOVE ? window.y : y;
        int newWidth = flags & SWP_NOSIZE ? window.width : std::max(width, 0);
        int newHeight = flags & SWP_NOSIZE ? window.height : std::max(height, 0);
        if (!window.isChild()) {
            newWidth = clampToLimits(newWidth, window.limits.minimumTrackSize.x,
                                     window.limits.maximumTrackSize.x);
            newHeight = clampToLimits(newHeight, window.limits.minimumTrackSize.y,
                                      window.limits.maximumTrackSize.y);
        }
        XMoveResizeWindow(display, window.xid, newX, newY, unsigned(std::max(newWidth, 1)),
                          unsigned(std::max(newHeight, 1)));
        // A child's geometry is what we asked for; a top-level window's is whatever the
        // window manager makes of it, reported back through ConfigureNotify.
        if (window.isChild())
            reportGeometry(window, newX, newY, newWidth, newHeight);
    });
}

bool refreshSizeHints(WindowHandle handle) {
    WindowRecord* window = ownedWindow(handle);
    if (!window)
        return false;
    querySizeLimits(handle, *window);
    return true;
}

bool getClientRect(WindowHandle handle, Rect& rect) {
    WindowRecord* window = ownedWindow(handle);
    if (!window)
        return false;
    rect = Rect{0, 0, std::max(window->width, 0), std::max(window->height, 0)};
    return true;
}

bool clientToScreen(WindowHandle handle, Point& point) {
    WindowRecord* window = ownedWindow(handle);
    if (!window)
        return false;
    Display* display = window->owner->display;
    Window child;
    return XTranslateCoordinates(display, window->xid, DefaultRootWindow(display), point.x, point.y,
                                 &point.x, &point.y, &child);
}

bool invalidateRect(WindowHandle handle, const Rect* rect, bool erase) {
    ThreadState* ownerToWake = nullptr;
    bool found = withLiveWindow(handle, [&](WindowRecord& window) {
        invalidate(window, rect, erase);
        ownerToWake = window.owner;
        ownerToWake->wake();
    });
    return found;
}

bool validateRect(WindowHandle handle, const Rect*) {
    WindowRecord* window = ownedWindow(handle);
    if (!window)
        return false;
    validate(*window);
    return true;
}

bool trackMouseLeave(WindowHandle handle) {
    WindowRecord* window = ownedWindow(handle);
    if (!window)
        return false;
    window->trackingLeave = true;
    return true;
}

bool setKeyboardInput(WindowHandle handle, bool on) {
    WindowRecord* window = ownedWindow(handle);
    if (!window)
        return false;
    if (!window->isChild())
        return true;
    window->hearsKeys = on;
    Display* display = window->owner->display;
    XSelectInput(display, window->xid, childEvents | (on ? KeyPressMask | KeyReleaseMask : 0));
    XFlush(display);
    return true;
}

bool isKeyDown(std::uint32_t virtualKey) {
    ThreadState* state = existingThreadState();
    if (!state)
        return false;
    auto down = [state](std::uint32_t key) { return state->keysDown[key & 0xFF]; };
    switch (virtualKey) {
    case VK_SHIFT:
        return down(VK_LSHIFT) || down(VK_RSHIFT);
    case VK_CONTROL:
        return down(VK_LCONTROL) || down(VK_RCONTROL);
    case VK_MENU:
        return down(VK_LMENU) || down(VK_RMENU);
    default:
        return down(virtualKey);
    }
}

std::uint64_t nativeWindowId(WindowHandle handle) {
    std::uint64_t id = 0;
    withLiveWindow(handle, [&id](WindowRecord& window) { id = window.xid; });
    return id;
}

} // namespace orvane::native
