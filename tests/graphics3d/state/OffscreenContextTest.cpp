#include "orvane/graphics3d/state/OffscreenContext.h"
#include "orvane/graphics3d/gl/GLRecorder.h"
#include "orvane/graphics3d/state/Context.h"
#include "tests/support/OffscreenGL.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace orvane::graphics3d {
namespace {

void clearTo(float red, float green, float blue) {
    gl.glClearColor(red, green, blue, 1);
    gl.glClear(GL_COLOR_BUFFER_BIT);
}

TEST(Offscreen, RendersIntoItsFramebufferAndReadsBack) {
    test::OffscreenGL offscreen(64, 48);
    ORVANE_REQUIRE_OFFSCREEN(offscreen);
    Context& context = offscreen.context();
    EXPECT_EQ(Context::current(), &context);
    EXPECT_EQ(context.window, nullptr);
    EXPECT_EQ(context.frameBuffer.width, 64);
    EXPECT_EQ(context.frameBuffer.height, 48);
    EXPECT_TRUE(isGLPublished());
    EXPECT_NE(context.extensions.extensionString, nullptr);
    clearTo(1, 0.5f, 0.25f);
    EXPECT_EQ(offscreen.pixel(0, 0), 0xFF4080FFu);
    EXPECT_EQ(offscreen.pixel(63, 47), 0xFF4080FFu);

    // A scissored clear of the top-left corner shows the frame buffer's orientation.
    gl.glEnable(GL_SCISSOR_TEST);
    gl.glScissor(0, 48 - 10, 8, 10);
    clearTo(0, 0, 1);
    gl.glDisable(GL_SCISSOR_TEST);
    EXPECT_EQ(offscreen.pixel(0, 0), 0xFFFF0000u) << "row 0 is the top";
    EXPECT_EQ(offscreen.pixel(7, 9), 0xFFFF0000u);
    EXPECT_EQ(offscreen.pixel(8, 9), 0xFF4080FFu);
    EXPECT_EQ(offscreen.pixel(0, 10), 0xFF4080FFu);
}

TEST(Offscreen, TakesANewSizeThroughItsFrameBuffer) {
    test::OffscreenGL offscreen(16, 16);
    ORVANE_REQUIRE_OFFSCREEN(offscreen);
    FrameBuffer& frameBuffer = offscreen.context().frameBuffer;
    EXPECT_TRUE(frameBuffer.setSize(640, 480));
    EXPECT_EQ(frameBuffer.width, 640);
    EXPECT_EQ(frameBuffer.height, 480);
    clearTo(0, 1, 0);
    EXPECT_EQ(offscreen.pixel(639, 479), 0xFF00FF00u);
    EXPECT_FALSE(frameBuffer.setSize(0, 480));
    EXPECT_EQ(frameBuffer.width, 640);
}

TEST(Offscreen, EachContextIsFoundAgainAndLeavesNothingBehind) {
    int glContextsBefore = native::liveGLContextCount();
    std::size_t contextsBefore = Context::count();
    {
        test::OffscreenGL first(8, 8);
        ORVANE_REQUIRE_OFFSCREEN(first);
        test::OffscreenGL second(8, 8);
        ASSERT_TRUE(second);
        EXPECT_EQ(Context::count(), contextsBefore + 2);
        EXPECT_EQ(native::liveGLContextCount(), glContextsBefore + 2);

        ASSERT_TRUE(native::makeGLContextCurrent(first.get()->glContext));
        EXPECT_EQ(Context::acquire(), &first.context());
        EXPECT_EQ(Context::current(), &first.context());
        EXPECT_EQ(Context::count(), contextsBefore + 2)
            << "no second context for one OpenGL context";
        clearTo(1, 0, 0);
        ASSERT_TRUE(second.get()->makeCurrent());
        EXPECT_EQ(Context::current(), &second.context());
        clearTo(0, 0, 1);
        EXPECT_EQ(second.pixel(1, 1), 0xFFFF0000u);
        ASSERT_TRUE(first.get()->makeCurrent());
        EXPECT_EQ(first.pixel(1, 1), 0xFF0000FFu) << "each context keeps its own pixels";
    }
    EXPECT_EQ(Context::count(), contextsBefore);
    EXPECT_EQ(native::liveGLContextCount(), glContextsBefore);
    EXPECT_EQ(native::currentGLContext(), nullptr);
}

TEST(Offscreen, AForwardingRecorderLogsWhatReallyRenders) {
    test::OffscreenGL offscreen(8, 8);
    ORVANE_REQUIRE_OFFSCREEN(offscreen);
    GLRecorder recorder(GLRecorder::TEXT, GLRecorder::FORWARD);
    clearTo(0, 1, 1);
    EXPECT_EQ(offscreen.pixel(2, 2), 0xFFFFFF00u);
    EXPECT_EQ(gl.glIsEnabled(GL_SCISSOR_TEST), GL_FALSE) << "queries answer what OpenGL says";
    std::vector<std::string> calls = recorder.takeCalls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], "glClearColor(0, 1, 1, 1)");
    EXPECT_EQ(calls[1], "glClear(GL_COLOR_BUFFER_BIT)");
}

// Run by CTest with DISPLAY removed from the environment as well (OffscreenWithoutDisplay).
TEST(Offscreen, NeedsNoDisplay) {
    std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    test::OffscreenGL offscreen(4, 4);
    ASSERT_TRUE(offscreen) << "DISPLAY=\"" << display << "\": " << native::lastError();
    clearTo(1, 1, 1);
    EXPECT_EQ(offscreen.pixel(3, 3), 0xFFFFFFFFu);
}

} // namespace
} // namespace orvane::graphics3d
