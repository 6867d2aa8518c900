#include "orvane/gui/OpenGL.h"

#include "orvane/graphics3d/gl/GL.h"
#include "orvane/graphics3d/state/Context.h"
#include "orvane/native/Messages.h"

namespace orvane::gui {
namespace {

using namespace native;
using graphics3d::gl;

OpenGL* openGLViewOf(WindowHandle handle) {
    return reinterpret_cast<OpenGL*>(getWindowWord(handle, 0));
}

std::intptr_t paintFrame(WindowHandle handle, OpenGL* view) {
    validateRect(handle, nullptr);
    if (view->renderContext && view->renderContext->makeCurrent()) {
        view->render();
        swapGLBuffers(view->glContext);
    }
    return 0;
}

} // namespace

OpenGL::OpenGL(const graphics::Rectangle<float>& area)
    : View(area) {}

OpenGL::~OpenGL() {
    if (nativeWindow)
        detach();
}

bool OpenGL::choosePixelFormat(PixelFormat& chosen) const {
    PixelFormatRequest request;
    request.colourBits = colourBits;
    request.alphaBits = alphaBits;
    request.accumBits = accumBits;
    request.depthBits = depthBits;
    request.stencilBits = stencilBits;
    request.auxBuffers = auxBuffers;
    return native::choosePixelFormat(request, chosen);
}

bool OpenGL::choosePixelFormatAndDescribe(PixelFormat& chosen) {
    if (!choosePixelFormat(chosen))
        return false;
    colourBits = chosen.colourBits;
    alphaBits = chosen.alphaBits;
    accumBits = chosen.accumBits;
    depthBits = chosen.depthBits;
    stencilBits = chosen.stencilBits;
    auxBuffers = chosen.auxBuffers;
    return true;
}

bool OpenGL::isSupported() {
    PixelFormat chosen;
    return choosePixelFormat(chosen);
}

bool OpenGL::querySupported() {
    PixelFormat chosen;
    return choosePixelFormatAndDescribe(chosen);
}

native::VisualChoice OpenGL::childVisual() {
    return pixelFormat.visual;
}

std::vector<OpenGL::PaletteEntry> OpenGL::makePalette(const PixelFormat& format) {
    if (!format.needsPalette && !format.colourIndex)
        return {};
    int count = format.colourBits >= 8 ? 256 : 1 << std::max(format.colourBits, 0);
    std::vector<PaletteEntry> entries(static_cast<std::size_t>(count));
    if (format.colourIndex) {
        const PaletteEntry fixed[] = {{0, 0, 0, PC_NOCOLLAPSE},
                                      {255, 0, 0, PC_NOCOLLAPSE},
                                      {0, 255, 0, PC_NOCOLLAPSE},
                                      {0, 0, 255, PC_NOCOLLAPSE}};
        for (int i = 0; i < 4 && i < count; ++i)
            entries[std::size_t(i)] = fixed[i];
        return entries;
    }
    auto level = [](int index, int shift, int bits) {
        int maximum = (1 << bits) - 1;
        return maximum > 0 ? std::uint8_t(((index >> shift) & maximum) * 255 / maximum)
                           : std::uint8_t(0);
    };
    for (int i = 0; i < count; ++i)
        entries[std::size_t(i)] = {level(i, format.redShift, format.redBits),
                                   level(i, format.greenShift, format.greenBits),
                                   level(i, format.blueShift, format.blueBits), 0};
    return entries;
}

void OpenGL::viewportSize(int& width, int& height) const {
    const graphics::Transform<float>& t = worldTransform;
    width = int(bounds.width * t.a + bounds.height * t.b);
    height = int(bounds.width * t.d + bounds.height * t.e);
}

bool OpenGL::createRenderContext() {
    glContext = createWindowGLContext(nativeWindow, pixelFormat);
    if (!glContext)
        return false;
    if (!makeGLContextCurrent(glContext)) {
        destroyGLContext(glContext);
        glContext = nullptr;
        return false;
    }
    // The render context publishes the entry points on first use, so it comes before the
    // first OpenGL call.
    renderContext = graphics3d::Context::acquire();
    int width, height;
    viewportSize(width, height);
    renderContext->frameBuffer.setWidth(width);
    renderContext->frameBuffer.setHeight(height);
    gl.glViewport(0, 0, width, height);
    return true;
}

bool OpenGL::attach() {
    if (nativeWindow)
        return true;
    if (!choosePixelFormatAndDescribe(pixelFormat))
        return false;
    if (!View::attach())
        return false;
    setProcedure(nativeWindow, openGLProcedure);
    palette = makePalette(pixelFormat);
    if (!createRenderContext()) {
        View::detach();
        palette.clear();
        return false;
    }
    return true;
}

bool OpenGL::detach() {
    if (renderContext) {
        renderContext->retire();
        renderContext = nullptr;
    }
    if (glContext) {
        destroyGLContext(glContext);
        glContext = nullptr;
    }
    palette.clear();
    View::detach();
    return true;
}

bool OpenGL::resized(graphics::Size<float>) {
    if (!renderContext || !renderContext->makeCurrent())
        return true;
    int width, height;
    viewportSize(width, height);
    renderContext->frameBuffer.setWidth(width);
    renderContext->frameBuffer.setHeight(height);
    gl.glViewport(0, 0, width, height);
    return true;
}

void OpenGL::render() {}

types::String OpenGL::getClassName() const {
    return object::classPath(View::getClassName(), ":OpenGL");
}

std::intptr_t OpenGL::openGLProcedure(WindowHandle handle, std::uint32_t message,
                                      std::uintptr_t wParam, std::intptr_t lParam) {
    OpenGL* view = openGLViewOf(handle);
    if (!view)
        return View::viewProcedure(handle, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        return paintFrame(handle, view);
    case WM_QUERYNEWPALETTE:
        return view->palette.empty() ? 0 : 1;
    case WM_PALETTECHANGED:
        if (reinterpret_cast<WindowHandle>(wParam) == handle)
            return 0;
        return view->palette.empty() ? 0 : 1;
    default:
        return View::viewProcedure(handle, message, wParam, lParam);
    }
}

} // namespace orvane::gui
