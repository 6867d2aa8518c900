#pragma once

#include "orvane/gui/View.h"
#include "orvane/native/GLContext.h"

#include <cstdint>
#include <vector>

namespace orvane::graphics3d {
class Context;
}

namespace orvane::gui {

// A view whose child window carries an OpenGL context.
//
// Attaching chooses the frame-buffer configuration closest to the requested sizes (and
// overwrites the sizes with what it provides), creates the child window with that
// configuration's visual, a compatibility-profile context made current on the window's
// thread, the viewport, and the render context (graphics3d::Context) that mirrors the
// OpenGL context. Every WM_PAINT validates the window, makes the render context current,
// calls render() and swaps the buffers; it never goes through the view's paint().
// Detaching retires the render context and destroys the OpenGL context.
//
// Failures (no configuration, no GLX, a context the platform refuses) make attach answer
// false with the reason in native::lastError(), and leave the view detached.
//
// Built into the render layer (orvane_render), since it makes render contexts.
class OpenGL : public View {
public:
    // A logical palette entry; flags 4 (PC_NOCOLLAPSE) marks the fixed colour-index entries.
    struct PaletteEntry {
        std::uint8_t red = 0, green = 0, blue = 0, flags = 0;
        friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
    };
    static constexpr std::uint8_t PC_NOCOLLAPSE = 4;

    explicit OpenGL(const graphics::Rectangle<float>& area);
    // Detaches first if still attached.
    ~OpenGL() override;

    bool attach() override;
    bool detach() override;
    // Stores the new viewport size into the render context and sets the viewport.
    bool resized(graphics::Size<float> size) override;
    // Draws one frame into the current OpenGL context; nothing by default.
    virtual void render();

    // Whether the display offers a configuration for the requested sizes; querySupported
    // also overwrites them with what it provides. Both on the calling thread's display.
    bool isSupported();
    bool querySupported();

    // The logical palette a configuration needs on a palette display: 2^colourBits entries
    // (at most 256); colour-index formats get black, red, green and blue as entries 0 to 3
    // (flag PC_NOCOLLAPSE) and black elsewhere, RGB formats the colour each index stands
    // for through the channel layout. Empty for configurations that need none.
    static std::vector<PaletteEntry> makePalette(const native::PixelFormat& format);

    // The viewport size: the bounds' size through the linear part of the world transform.
    void viewportSize(int& width, int& height) const;

    types::String getClassName() const override;

    static std::intptr_t openGLProcedure(native::WindowHandle handle, std::uint32_t message,
                                         std::uintptr_t wParam, std::intptr_t lParam);

    graphics3d::Context* renderContext = nullptr;
    int colourBits = 32;
    int alphaBits = 0;
    int stencilBits = 0;
    int accumBits = 0;
    int depthBits = 0;
    int auxBuffers = 0;
    native::GLContextHandle glContext = nullptr;
    std::vector<PaletteEntry> palette;

protected:
    native::VisualChoice childVisual() override;

private:
    bool choosePixelFormat(native::PixelFormat& chosen) const;
    bool choosePixelFormatAndDescribe(native::PixelFormat& chosen);
    bool createRenderContext();

    native::PixelFormat pixelFormat;
};

} // namespace orvane::gui
