#pragma once

#include "orvane/graphics3d/state/Context.h"
#include "orvane/graphics3d/state/OffscreenContext.h"
#include "orvane/native/Display.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace orvane::test {

// An offscreen OpenGL context of the given size, current on the test's thread with its
// render Context while it lives:
//
//     test::OffscreenGL offscreen(64, 48);
//     ORVANE_REQUIRE_OFFSCREEN(offscreen);
//     gl.glClear(GL_COLOR_BUFFER_BIT);
//     EXPECT_EQ(offscreen.pixel(3, 2), 0xFF4080FFu);
class OffscreenGL {
public:
    OffscreenGL(std::int32_t width, std::int32_t height)
        : offscreen(graphics3d::OffscreenContext::create(width, height)) {}
    ~OffscreenGL() {
        if (offscreen)
            offscreen->release();
    }
    OffscreenGL(const OffscreenGL&) = delete;
    OffscreenGL& operator=(const OffscreenGL&) = delete;

    explicit operator bool() const noexcept { return offscreen != nullptr; }
    graphics3d::Context& context() const noexcept { return *offscreen->context; }
    graphics3d::OffscreenContext* get() const noexcept { return offscreen; }

    // The pixel at (x, y), y counted from the top, as 0xAABBGGRR (red in the low byte).
    std::uint32_t pixel(int x, int y) const {
        using namespace graphics3d;
        std::uint8_t rgba[4] = {};
        gl.glPixelStorei(GL_PACK_ALIGNMENT, 1);
        gl.glReadPixels(x, context().frameBuffer.height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                        rgba);
        return std::uint32_t(rgba[0]) | std::uint32_t(rgba[1]) << 8 | std::uint32_t(rgba[2]) << 16 |
               std::uint32_t(rgba[3]) << 24;
    }

private:
    graphics3d::OffscreenContext* offscreen;
};

// Skips the test, saying why, where the platform offers no offscreen OpenGL (no EGL or
// no surfaceless platform); scripts/install-deps installs what it needs.
#define ORVANE_REQUIRE_OFFSCREEN(offscreen)                                                        \
    if (!(offscreen))                                                                              \
    GTEST_SKIP() << "no offscreen OpenGL: " << ::orvane::native::lastError()

} // namespace orvane::test
