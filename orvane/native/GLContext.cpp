#include "orvane/native/GLContext.h"

#include "orvane/native/Display.h"
#include "orvane/native/WindowRecord.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/glx.h>
#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::native {

struct GLContextRecord {
    enum class Kind { WINDOW, OFFSCREEN } kind = Kind::WINDOW;
    // Window contexts: the owner's connection, the window and its X id.
    Display* display = nullptr;
    GLXContext glx = nullptr;
    WindowHandle window = nullptr;
    XID drawable = 0;
    // Offscreen contexts.
    EGLDisplay eglDisplay = EGL_NO_DISPLAY;
    EGLContext egl = EGL_NO_CONTEXT;
};

namespace {

thread_local GLContextRecord* currentContext = nullptr;
std::atomic<int> liveContexts{0};

// Every live record, so that handles can be checked before they are followed.
struct ContextRegistry {
    std::mutex lock;
    std::vector<GLContextRecord*> live;
};

ContextRegistry& registry() {
    static auto* shared = new ContextRegistry; // never destroyed: threads may outlive statics
    return *shared;
}

bool isLive(GLContextRecord* record) {
    std::lock_guard guard(registry().lock);
    return std::find(registry().live.begin(), registry().live.end(), record) !=
           registry().live.end();
}

GLContextHandle remember(GLContextRecord* record) {
    std::lock_guard guard(registry().lock);
    registry().live.push_back(record);
    ++liveContexts;
    return record;
}

void forget(GLContextRecord* record) {
    std::lock_guard guard(registry().lock);
    std::erase(registry().live, record);
    --liveContexts;
}

// ---- pixel formats (GLX) ----

int attribute(Display* display, GLXFBConfig config, int name) {
    int value = 0;
    glXGetFBConfigAttrib(display, config, name, &value);
    return value;
}

void channel(unsigned long mask, int& bits, int& shift) {
    bits = std::popcount(mask);
    shift = mask ? std::countr_zero(mask) : 0;
}

// Per-channel minimums for a colour depth: 8 bits each from 24 up, 5 from 15, 3-3-2
// below.
void channelMinimums(int colourBits, int& red, int& green, int& blue) {
    if (colourBits >= 24)
        red = green = blue = 8;
    else if (colourBits >= 15)
        red = green = blue = 5;
    else if (colourBits > 0)
        red = green = 3, blue = 2;
    else
        red = green = blue = 0;
}

std::vector<int> configAttributes(const PixelFormatRequest& request) {
    int red, green, blue;
    channelMinimums(request.colourBits, red, green, blue);
    int accum = request.accumBits > 0 ? (request.accumBits + 3) / 4 : 0;
    return {GLX_X_RENDERABLE,
            True,
            GLX_DRAWABLE_TYPE,
            GLX_WINDOW_BIT,
            GLX_RENDER_TYPE,
            GLX_RGBA_BIT,
            GLX_DOUBLEBUFFER,
            True,
            GLX_RED_SIZE,
            red,
            GLX_GREEN_SIZE,
            green,
            GLX_BLUE_SIZE,
            blue,
            GLX_ALPHA_SIZE,
            request.alphaBits,
            GLX_DEPTH_SIZE,
            request.depthBits,
            GLX_STENCIL_SIZE,
            request.stencilBits,
            GLX_ACCUM_RED_SIZE,
            accum,
            GLX_ACCUM_GREEN_SIZE,
            accum,
            GLX_ACCUM_BLUE_SIZE,
            accum,
            GLX_AUX_BUFFERS,
            request.auxBuffers,
            None};
}

void describe(Display* display, GLXFBConfig config, const XVisualInfo& visual,
              PixelFormat& format) {
    format.colourBits = attribute(display, config, GLX_BUFFER_SIZE);
    format.alphaBits = attribute(display, config, GLX_ALPHA_SIZE);
    format.accumBits = attribute(display, config, GLX_ACCUM_RED_SIZE) +
                       attribute(display, config, GLX_ACCUM_GREEN_SIZE) +
                       attribute(display, config, GLX_ACCUM_BLUE_SIZE) +
                       attribute(display, config, GLX_ACCUM_ALPHA_SIZE);
    format.depthBits = attribute(display, config, GLX_DEPTH_SIZE);
    format.stencilBits = attribute(display, config, GLX_STENCIL_SIZE);
    format.auxBuffers = attribute(display, config, GLX_AUX_BUFFERS);
    channel(visual.red_mask, format.redBits, format.redShift);
    channel(visual.green_mask, format.greenBits, format.greenShift);
    channel(visual.blue_mask, format.blueBits, format.blueShift);
    format.colourIndex = !(attribute(display, config, GLX_RENDER_TYPE) & GLX_RGBA_BIT);
    format.needsPalette = visual.c_class == PseudoColor || visual.c_class == GrayScale;
    format.visual = VisualChoice{visual.visualid, visual.depth};
    format.configId = std::uint64_t(attribute(display, config, GLX_FBCONFIG_ID));
}

GLXFBConfig findConfig(Display* display, std::uint64_t configId) {
    const int wanted[] = {GLX_FBCONFIG_ID, int(configId), None};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(display, DefaultScreen(display), wanted, &count);
    GLXFBConfig config = configs && count > 0 ? configs[0] : nullptr;
    if (configs)
        XFree(configs);
    return config;
}

bool hasGLX(Display* display) {
    int error = 0, event = 0;
    return glXQueryExtension(display, &error, &event);
}

// Mesa's GLX unloads its DRI driver when the last connection that used it closes and
// loads it again for the next one. Every window thread has a connection of its own, so a
// window closing alone would take the driver (with its LLVM set-up) down and the next
// window would load it afresh; and what the driver keeps reachable only from its own
// globals would become unreachable memory. Once GLX has served a display, the drivers
// then loaded stay loaded for the rest of the process.
void keepDriversLoaded() {
    static std::atomic<bool> kept{false};
    if (kept.load(std::memory_order_acquire))
        return;
    std::vector<std::string> drivers;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* found) {
            std::string_view name = info->dlpi_name ? info->dlpi_name : "";
            if (name.ends_with("_dri.so"))
                static_cast<std::vector<std::string>*>(found)->emplace_back(name);
            return 0;
        },
        &drivers);
    // Outside the iteration, which holds the loader's lock. The handles are never closed.
    for (const std::string& driver : drivers)
        if (dlopen(driver.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE))
            kept.store(true, std::memory_order_release);
}

// ---- offscreen contexts (EGL) ----

bool namesWord(const char* list, const char* word) {
    if (!list)
        return false;
    std::size_t length = std::strlen(word);
    for (const char* at = std::strstr(list, word); at; at = std::strstr(at + 1, word))
        if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0'))
            return true;
    return false;
}

// The process's surfaceless display, initialised once and kept: terminating it would
// take every offscreen context of the process with it.
struct SurfacelessDisplay {
    EGLDisplay display = EGL_NO_DISPLAY;
    std::string failure;
};

SurfacelessDisplay openSurfaceless() {
    SurfacelessDisplay result;
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!namesWord(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        result.failure = "EGL has no surfaceless platform (EGL_MESA_platform_surfaceless)";
        return result;
    }
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        result.failure = "EGL cannot open platform displays (EGL_EXT_platform_base)";
        return result;
    }
    EGLDisplay display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0, minor = 0;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) {
        result.failure = "EGL's surfaceless display did not initialise";
        return result;
    }
    const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
    if (!namesWord(extensions, "EGL_KHR_surfaceless_context")) {
        result.failure = "EGL's surfaceless display has no surfaceless contexts";
        return result;
    }
    result.display = display;
    return result;
}

const SurfacelessDisplay& surfaceless() {
    static const SurfacelessDisplay* shared = new SurfacelessDisplay(openSurfaceless());
    return *shared;
}

EGLConfig offscreenConfig(EGLDisplay display) {
    if (namesWord(eglQueryString(display, EGL_EXTENSIONS), "EGL_KHR_no_config_context"))
        return EGL_NO_CONFIG_KHR;
    const EGLint wanted[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
                             EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, wanted, &config, 1, &count) || count < 1)
        return nullptr;
    return config;
}

bool releaseCurrent() {
    GLContextRecord* record = currentContext;
    if (!record)
        return true;
    bool released =
        record->kind == GLContextRecord::Kind::WINDOW
            ? glXMakeCurrent(record->display, None, nullptr)
            : eglMakeCurrent(record->eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (released)
        currentContext = nullptr;
    return released;
}

bool makeWindowCurrent(GLContextRecord& record) {
    WindowRecord* window = ownedWindow(record.window);
    if (!window || window->xid != record.drawable) {
        setLastError("the OpenGL context's window is gone or belongs to another thread");
        return false;
    }
    takeProtocolError();
    bool made = glXMakeCurrent(record.display, record.drawable, record.glx);
    if (!made || takeProtocolError()) {
        setLastError("GLX refused to make the context current");
        return false;
    }
    return true;
}

} // namespace

bool choosePixelFormat(const PixelFormatRequest& request, PixelFormat& chosen) {
    ThreadState& state = currentThreadState();
    if (!ensureConnection(state))
        return false;
    Display* display = state.display;
    if (!hasGLX(display)) {
        setLastError("the X display has no GLX extension");
        return false;
    }
    std::vector<int> wanted = configAttributes(request);
    int count = 0;
    GLXFBConfig* configs =
        glXChooseFBConfig(display, DefaultScreen(display), wanted.data(), &count);
    keepDriversLoaded(); // GLX has loaded the display's driver to answer
    bool found = false;
    for (int i = 0; configs && i < count && !found; ++i) {
        XVisualInfo* visual = glXGetVisualFromFBConfig(display, configs[i]);
        if (!visual)
            continue;
        describe(display, configs[i], *visual, chosen);
        XFree(visual);
        found = true;
    }
    if (configs)
        XFree(configs);
    if (!found) {
        setLastError("no GLX frame-buffer configuration has the requested sizes");
        return false;
    }
    setLastError("");
    return true;
}

GLContextHandle createWindowGLContext(WindowHandle handle, const PixelFormat& format) {
    WindowRecord* window = ownedWindow(handle);
    if (!window) {
        setLastError("no such window on this thread for an OpenGL context");
        return nullptr;
    }
    Display* display = window->owner->display;
    GLXFBConfig config = findConfig(display, format.configId);
    if (!config) {
        setLastError("the chosen GLX configuration is not on this display");
        return nullptr;
    }
    takeProtocolError();
    GLXContext glx = glXCreateNewContext(display, config, GLX_RGBA_TYPE, nullptr, True);
    XSync(display, False);
    if (int error = takeProtocolError(); !glx || error) {
        if (glx)
            glXDestroyContext(display, glx);
        setLastError("GLX refused to create a context (error " + std::to_string(error) + ")");
        return nullptr;
    }
    keepDriversLoaded();
    auto* record = new GLContextRecord;
    record->kind = GLContextRecord::Kind::WINDOW;
    record->display = display;
    record->glx = glx;
    record->window = handle;
    record->drawable = window->xid;
    setLastError("");
    return remember(record);
}

GLContextHandle createOffscreenGLContext() {
    const SurfacelessDisplay& shared = surfaceless();
    if (shared.display == EGL_NO_DISPLAY) {
        setLastError(shared.failure);
        return nullptr;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        setLastError("EGL offers no desktop OpenGL");
        return nullptr;
    }
    const EGLint attributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                 EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    EGLConfig config = offscreenConfig(shared.display);
    EGLContext context = eglCreateContext(shared.display, config, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT) {
        setLastError("EGL refused a compatibility-profile context (error " +
                     std::to_string(eglGetError()) + ")");
        return nullptr;
    }
    auto* record = new GLContextRecord;
    record->kind = GLContextRecord::Kind::OFFSCREEN;
    record->eglDisplay = shared.display;
    record->egl = context;
    setLastError("");
    return remember(record);
}

bool makeGLContextCurrent(GLContextHandle context) {
    if (!context)
        return releaseCurrent();
    if (!isLive(context)) {
        setLastError("no such OpenGL context");
        return false;
    }
    if (context == currentContext)
        return true;
    GLContextRecord* previous = currentContext;
    bool sameKind = previous && previous->kind == context->kind;
    if (previous && !sameKind && !releaseCurrent())
        return false;
    bool made =
        context->kind == GLContextRecord::Kind::WINDOW
            ? makeWindowCurrent(*context)
            : eglMakeCurrent(context->eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, context->egl);
    if (!made) {
        if (context->kind == GLContextRecord::Kind::OFFSCREEN)
            setLastError("EGL refused to make the context current");
        return false;
    }
    currentContext = context;
    return true;
}

GLContextHandle currentGLContext() noexcept {
    return currentContext;
}

WindowHandle glContextWindow(GLContextHandle context) noexcept {
    return context && isLive(context) ? context->window : nullptr;
}

bool swapGLBuffers(GLContextHandle context) {
    if (!context || !isLive(context) || context->kind != GLContextRecord::Kind::WINDOW)
        return false;
    if (!ownedWindow(context->window))
        return false;
    glXSwapBuffers(context->display, context->drawable);
    return true;
}

bool destroyGLContext(GLContextHandle context) {
    if (!context || !isLive(context))
        return false;
    if (context == currentContext)
        releaseCurrent();
    if (context->kind == GLContextRecord::Kind::WINDOW)
        glXDestroyContext(context->display, context->glx);
    else
        eglDestroyContext(context->eglDisplay, context->egl);
    forget(context);
    delete context;
    return true;
}

void abandonGLContexts(ThreadState& state) {
    releaseCurrent();
    if (!state.display)
        return;
    std::vector<GLContextRecord*> left;
    {
        std::lock_guard guard(registry().lock);
        for (GLContextRecord* record : registry().live)
            if (record->kind == GLContextRecord::Kind::WINDOW && record->display == state.display)
                left.push_back(record);
    }
    for (GLContextRecord* record : left)
        destroyGLContext(record);
}

void reportGLFailure(const std::string& text) {
    setLastError(text);
}

int liveGLContextCount() noexcept {
    return liveContexts.load();
}

void* glProcAddress(const char* name) {
    if (!name)
        return nullptr;
    if (currentContext && currentContext->kind == GLContextRecord::Kind::OFFSCREEN)
        return reinterpret_cast<void*>(eglGetProcAddress(name));
    return reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

} // namespace orvane::native
