#include "orvane/graphics/Image.h"
#include "orvane/graphics/PixelFormat.h"
#include "orvane/graphics3d/gl/GLRecorder.h"
#include "orvane/graphics3d/state/Context.h"
#include "orvane/gui/OpenGL.h"
#include "orvane/gui/Window.h"
#include "orvane/native/Display.h"
#include "orvane/native/Messages.h"
#include "tests/support/Eventually.h"

#include <gtest/gtest.h>

#include "tests/support/ClosedWindows.h"

#include <atomic>
#include <cstdint>
#include <functional>

namespace orvane::gui {
namespace {

using graphics3d::gl;
using namespace graphics3d; // GL constants

TEST(OpenGLPalette, RgbFormatsGetTheColourOfEachIndex) {
    native::PixelFormat format;
    format.colourBits = 8;
    format.needsPalette = true;
    format.redBits = 3, format.redShift = 0;
    format.greenBits = 3, format.greenShift = 3;
    format.blueBits = 2, format.blueShift = 6;
    auto palette = OpenGL::makePalette(format);
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[0xFF], (OpenGL::PaletteEntry{255, 255, 255, 0}));
    EXPECT_EQ(palette[0x07], (OpenGL::PaletteEntry{255, 0, 0, 0}));
    EXPECT_EQ(palette[0x38], (OpenGL::PaletteEntry{0, 255, 0, 0}));
    EXPECT_EQ(palette[0x40], (OpenGL::PaletteEntry{0, 0, 85, 0})) << "1 of 3 is 85 of 255";
    EXPECT_EQ(palette[0x03], (OpenGL::PaletteEntry{109, 0, 0, 0})) << "3 * 255 / 7, truncated";

    format.colourBits = 4;
    format.colourIndex = true;
    palette = OpenGL::makePalette(format);
    ASSERT_EQ(palette.size(), 16u);
    EXPECT_EQ(palette[1], (OpenGL::PaletteEntry{255, 0, 0, OpenGL::PC_NOCOLLAPSE}));
    EXPECT_EQ(palette[3], (OpenGL::PaletteEntry{0, 0, 255, OpenGL::PC_NOCOLLAPSE}));
    EXPECT_EQ(palette[4], (OpenGL::PaletteEntry{}));

    native::PixelFormat trueColour;
    trueColour.colourBits = 24;
    EXPECT_TRUE(OpenGL::makePalette(trueColour).empty()) << "TrueColor displays need none";
}

TEST(OpenGLDetached, ResizingTouchesNoOpenGLAndPaintsNothing) {
    graphics3d::GLRecorder recorder;
    OpenGL view({0, 0, 40, 30});
    EXPECT_EQ(view.getClassName(), "Object:Handler:View:OpenGL");
    EXPECT_TRUE(view.resized({80, 60}));
    EXPECT_TRUE(view.detach());
    EXPECT_TRUE(recorder.calls().empty());
    EXPECT_EQ(view.renderContext, nullptr);
    int width, height;
    view.setScale(2, 0.5f);
    view.viewportSize(width, height);
    EXPECT_EQ(width, 40);
    EXPECT_EQ(height, 30) << "the viewport is the pixel size, whatever the local units";
}

// Clears to a colour and reads back one pixel of each frame on the window's thread.
class ClearingView : public OpenGL {
public:
    explicit ClearingView(const graphics::Rectangle<float>& area)
        : OpenGL(area) {}
    void render() override {
        gl.glClearColor(red, 0.5f, 0.25f, 1);
        gl.glClear(GL_COLOR_BUFFER_BIT);
        std::uint8_t rgba[4] = {};
        gl.glReadPixels(3, 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        pixel = std::uint32_t(rgba[0]) | std::uint32_t(rgba[1]) << 8 | std::uint32_t(rgba[2]) << 16;
        width = renderContext->frameBuffer.width;
        ++frames;
    }
    float red = 1;
    std::atomic<std::uint32_t> pixel{0};
    std::atomic<int> width{0};
    std::atomic<int> frames{0};
};

TEST(OpenGLView, RendersOnItsWindowThreadAndCleansUpWhenClosed) {
    test::DisplayLock lock; // its window would cover the windows other tests look at
    int contextsBefore = native::liveGLContextCount();
    std::size_t renderContextsBefore = graphics3d::Context::count();
    Window window;
    window.setSize({160, 120});
    auto* view = new ClearingView({10, 10, 64, 48});
    view->colourBits = 16;
    view->depthBits = 16;
    ASSERT_TRUE(window.addView(view));
    ASSERT_TRUE(window.open()) << native::lastError();
    EXPECT_NE(view->renderContext, nullptr) << native::lastError();
    EXPECT_GE(view->colourBits, 24) << "the sizes are what the configuration provides";
    EXPECT_GE(view->depthBits, 16);
    EXPECT_EQ(native::liveGLContextCount(), contextsBefore + 1);
    EXPECT_EQ(graphics3d::Context::count(), renderContextsBefore + 1);

    view->invalidate();
    ASSERT_TRUE(test::eventually([&] { return view->frames > 0; }));
    EXPECT_EQ(view->pixel.load(), 0x4080FFu);
    EXPECT_EQ(view->width.load(), 64);

    EXPECT_TRUE(test::closeLeavesNothingOnTheDisplay(window));
    EXPECT_EQ(view->renderContext, nullptr);
    EXPECT_EQ(view->glContext, nullptr);
    EXPECT_EQ(native::liveGLContextCount(), contextsBefore);
    EXPECT_EQ(graphics3d::Context::count(), renderContextsBefore);
    view->release();
}

TEST(OpenGLView, AnImpossibleRequestFailsToAttachWithAReason) {
    test::DisplayLock lock; // its window would cover the windows other tests look at
    Window window;
    auto* view = new ClearingView({0, 0, 32, 32});
    view->auxBuffers = 64;
    ASSERT_TRUE(window.addView(view));
    ASSERT_TRUE(window.open()) << native::lastError();
    EXPECT_EQ(view->nativeWindow.load(), nullptr) << "no child window is left behind";
    EXPECT_EQ(view->renderContext, nullptr);
    EXPECT_NE(native::lastError().find("configuration"), std::string::npos) << native::lastError();
    EXPECT_TRUE(test::closeLeavesNothingOnTheDisplay(window));
    view->release();

    OpenGL probe({0, 0, 1, 1});
    probe.colourBits = 16;
    EXPECT_TRUE(probe.isSupported());
    EXPECT_EQ(probe.colourBits, 16) << "isSupported leaves the request alone";
    EXPECT_TRUE(probe.querySupported());
    EXPECT_GE(probe.colourBits, 24);
    probe.stencilBits = 200;
    EXPECT_FALSE(probe.isSupported());
}

// A view with the OpenGL procedure but no OpenGL context (as before attach finishes),
// behind a procedure that counts the paint messages reaching it.
class UnattachedView : public OpenGL {
public:
    using OpenGL::OpenGL;
    bool attach() override {
        if (!View::attach())
            return false;
        native::setProcedure(nativeWindow, countingProcedure);
        return true;
    }
    void render() override { ++frames; }
    static std::intptr_t countingProcedure(native::WindowHandle handle, std::uint32_t message,
                                           std::uintptr_t wParam, std::intptr_t lParam) {
        if (message == native::WM_PAINT)
            ++paints;
        return openGLProcedure(handle, message, wParam, lParam);
    }
    static inline int paints = 0;
    int frames = 0;
};

TEST(OpenGLView, PaintWithoutARenderContextValidatesAndDrawsNothing) {
    test::DisplayLock lock; // its window would cover the windows other tests look at
    Window window;
    auto* view = new UnattachedView({0, 0, 32, 32});
    ASSERT_TRUE(window.addView(view));
    ASSERT_TRUE(window.open()) << native::lastError();
    graphics3d::GLRecorder recorder;
    ASSERT_TRUE(window.invoke([&] {
        native::WindowHandle handle = view->nativeWindow;
        UnattachedView::paints = 0;
        native::invalidateRect(handle, nullptr, false);
        native::sendMessage(handle, native::WM_PAINT, 0, 0);
        native::updateWindow(handle); // paints again only if the window is still invalid
        return UnattachedView::paints == 1 && view->frames == 0;
    }));
    EXPECT_TRUE(recorder.calls().empty());
    EXPECT_TRUE(test::closeLeavesNothingOnTheDisplay(window));
    view->release();
}

// Runs the test's scene on the window's thread for every frame.
class SceneView : public OpenGL {
public:
    using OpenGL::OpenGL;
    void render() override {
        if (scene)
            scene(*renderContext);
        ++frames;
    }
    std::function<void(graphics3d::Context&)> scene;
    std::atomic<int> frames{0};
};

std::uint32_t rgbAt(graphics::Image& image, int x, int y) {
    const auto* p = static_cast<std::uint8_t*>(image.pixels()) + y * image.getRowBytes() + x * 3;
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
}

TEST(OpenGLView, FramesReadBackAndImagesLandOnTheirPixelsAtAnySize) {
    test::DisplayLock lock; // its window would cover the windows other tests look at
    namespace format = graphics::PixelFormat;
    Window window;
    window.setSize({700, 520});
    auto* view = new SceneView({0, 0, 64, 48});
    graphics::Image picture(format::RGB24, 4, 3);
    auto* source = static_cast<std::uint8_t*>(picture.pixels());
    for (int i = 0; i < 12; ++i)
        source[i * 3] = std::uint8_t(10 * i), source[i * 3 + 1] = 7, source[i * 3 + 2] = 0;
    graphics::Image frame(format::RGB24, 64, 48);
    // Each scene captures its first frame only: later paints must not write the image
    // the test thread reads.
    std::atomic<bool> read{false};
    std::atomic<bool> captured{false};
    view->scene = [&](graphics3d::Context& context) {
        gl.glClearColor(0, 0, 1, 1);
        gl.glClear(GL_COLOR_BUFFER_BIT);
        context.frameBuffer.drawPixels(picture, {0, 0}, {5, 4, 4, 3});
        if (!captured) {
            read = context.frameBuffer.readPixels(frame, {0, 0}, {0, 0, 64, 48});
            captured = true;
        }
    };
    ASSERT_TRUE(window.addView(view));
    ASSERT_TRUE(window.open()) << native::lastError();
    ASSERT_NE(view->renderContext, nullptr) << native::lastError();
    view->invalidate();
    ASSERT_TRUE(test::eventually([&] { return captured.load(); }));
    ASSERT_TRUE(read);
    EXPECT_EQ(rgbAt(frame, 0, 0), 0xFF0000u);
    EXPECT_EQ(rgbAt(frame, 5, 4), 0x000700u) << "the picture's top-left pixel";
    EXPECT_EQ(rgbAt(frame, 8, 6), 0x00076Eu) << "its bottom-right pixel (index 11)";
    EXPECT_EQ(rgbAt(frame, 4, 4), 0xFF0000u);
    EXPECT_EQ(rgbAt(frame, 9, 6), 0xFF0000u);
    EXPECT_EQ(rgbAt(frame, 8, 7), 0xFF0000u);

    // The frame buffer resizes its window; the next frame has the new size.
    int width = 0, height = 0;
    ASSERT_TRUE(window.invoke([&] {
        bool resized = view->renderContext->frameBuffer.setSize(640, 480);
        width = view->renderContext->frameBuffer.width;
        height = view->renderContext->frameBuffer.height;
        return resized;
    }));
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    graphics::Image corner(format::RGB24, 1, 1);
    std::atomic<int> frameWidth{0};
    ASSERT_TRUE(window.invoke([&] {
        captured = false; // frames painted from here on use the new scene
        view->scene = [&](graphics3d::Context& context) {
            gl.glClearColor(0, 1, 0, 1);
            gl.glClear(GL_COLOR_BUFFER_BIT);
            if (captured)
                return;
            frameWidth = context.frameBuffer.width;
            read = context.frameBuffer.readPixels(corner, {0, 0}, {639, 479, 1, 1});
            captured = true;
        };
        return true;
    }));
    view->invalidate();
    ASSERT_TRUE(test::eventually([&] { return captured.load(); }));
    EXPECT_EQ(frameWidth.load(), 640);
    ASSERT_TRUE(read);
    EXPECT_EQ(rgbAt(corner, 0, 0), 0x00FF00u) << "the bottom-right pixel of 640 x 480";
    EXPECT_TRUE(test::closeLeavesNothingOnTheDisplay(window));
    view->release();
}

} // namespace
} // namespace orvane::gui
