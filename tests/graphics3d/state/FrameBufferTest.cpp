#include "orvane/graphics/Image.h"
#include "orvane/graphics/PixelFormat.h"
#include "orvane/graphics3d/gl/GLRecorder.h"
#include "orvane/graphics3d/state/Context.h"
#include "orvane/graphics3d/state/Texture2D.h"
#include "tests/support/OffscreenGL.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace orvane::graphics3d {
namespace {

using Calls = std::vector<std::string>;
using graphics::Image;
namespace format = graphics::PixelFormat;

std::string address(const void* pointer) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(pointer)));
    return text;
}

// Fills an RGB24 image with pixels that tell their own position: (x, y, tag).
void fillWithPositions(Image& image, std::uint8_t tag) {
    auto* pixels = static_cast<std::uint8_t*>(image.pixels());
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x) {
            std::uint8_t* p = pixels + y * image.getRowBytes() + x * 3;
            p[0] = std::uint8_t(x), p[1] = std::uint8_t(y), p[2] = tag;
        }
}

std::uint32_t rgbAt(Image& image, int x, int y) {
    const auto* p = static_cast<std::uint8_t*>(image.pixels()) + y * image.getRowBytes() + x * 3;
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
}

class FrameBufferCalls : public ::testing::Test {
protected:
    void SetUp() override {
        context = Context::createForCurrent();
        context->release();
        context->frameBuffer.setWidth(200);
        context->frameBuffer.setHeight(100);
        recorder.clear();
    }
    void TearDown() override { context->retire(); }

    GLRecorder recorder;
    Context* context = nullptr;
};

TEST_F(FrameBufferCalls, ReadPixelsCountsRowsFromTheTopOnBothSides) {
    Image image(format::RGBA32, 20, 10);
    EXPECT_TRUE(context->frameBuffer.readPixels(image, {2, 3}, {5, 7, 4, 6}));
    EXPECT_EQ(
        recorder.takeCalls(),
        (Calls{"glPixelStorei(GL_PACK_SWAP_BYTES, 0)", "glPixelStorei(GL_PACK_ROW_LENGTH, 20)",
               "glPixelStorei(GL_PACK_SKIP_PIXELS, 2)", "glPixelStorei(GL_PACK_SKIP_ROWS, 3)",
               "glPixelStorei(GL_PACK_ALIGNMENT, 1)",
               "glReadPixels(5, 87, 4, 6, GL_RGBA, GL_UNSIGNED_BYTE, " + address(image.pixels()) +
                   ")",
               "glPixelStorei(GL_PACK_ROW_LENGTH, 0)", "glPixelStorei(GL_PACK_SKIP_PIXELS, 0)",
               "glPixelStorei(GL_PACK_SKIP_ROWS, 0)", "glPixelStorei(GL_PACK_ALIGNMENT, 4)"}));
    EXPECT_FALSE(image.isLocked());

    Image bgr(format::BGR24, 4, 4);
    EXPECT_TRUE(context->frameBuffer.readPixels(bgr, {0, 0}, {0, 0, 4, 4}));
    EXPECT_EQ(recorder.takeCalls()[5], "glReadPixels(0, 96, 4, 4, GL_BGR_EXT, GL_UNSIGNED_BYTE, " +
                                           address(bgr.pixels()) + ")");
}

TEST_F(FrameBufferCalls, ReadPixelsRefusesOtherFormatsAndRectanglesOutsideTheImage) {
    Image alpha(format::GREY8, 8, 8);
    Image palette(format::INDEX8, 8, 8);
    Image colour(format::RGB24, 8, 8);
    EXPECT_FALSE(context->frameBuffer.readPixels(alpha, {0, 0}, {0, 0, 8, 8}));
    EXPECT_FALSE(context->frameBuffer.readPixels(palette, {0, 0}, {0, 0, 8, 8}));
    EXPECT_FALSE(context->frameBuffer.readPixels(colour, {1, 0}, {0, 0, 8, 8}))
        << "one column too many";
    EXPECT_FALSE(context->frameBuffer.readPixels(colour, {0, 4}, {0, 0, 8, 5}));
    EXPECT_FALSE(context->frameBuffer.readPixels(colour, {-1, 0}, {0, 0, 2, 2}));
    EXPECT_FALSE(context->frameBuffer.drawPixels(palette, {0, 0}, {0, 0, 8, 8}));
    // Sizes whose sum with the position would wrap around 32 bits.
    constexpr std::int32_t huge = std::numeric_limits<std::int32_t>::max();
    EXPECT_FALSE(context->frameBuffer.readPixels(colour, {1, 0}, {0, 0, huge, 2}));
    EXPECT_FALSE(context->frameBuffer.readPixels(colour, {0, 2}, {0, 0, 2, huge}));
    EXPECT_FALSE(context->frameBuffer.drawPixels(colour, {0, 1}, {0, 0, 8, huge}));
    EXPECT_FALSE(context->frameBuffer.drawPixels(colour, {4, 0}, {0, 0, huge - 2, 8}));
    EXPECT_FALSE(context->frameBuffer.readPixels(colour, {0, 0}, {0, -huge, 2, 2}))
        << "a row OpenGL cannot be given";
    EXPECT_TRUE(recorder.calls().empty()) << "nothing is read or drawn";
}

TEST_F(FrameBufferCalls, ReadPixelsTurnsOnlyTheBlockUpsideDown) {
    // The recorder writes no pixels, so what the flip does shows on its own.
    Image image(format::RGB24, 6, 7);
    fillWithPositions(image, 9);
    ASSERT_TRUE(context->frameBuffer.readPixels(image, {1, 2}, {0, 0, 3, 5}));
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 6; ++x) {
            bool inBlock = x >= 1 && x < 4 && y >= 2 && y < 7;
            int sourceY = inBlock ? 2 + (6 - y) : y;
            EXPECT_EQ(rgbAt(image, x, y), std::uint32_t(x | sourceY << 8 | 9 << 16))
                << x << ", " << y;
        }
    EXPECT_EQ(rgbAt(image, 2, 4), std::uint32_t(2 | 4 << 8 | 9 << 16)) << "the middle row stays";
}

TEST_F(FrameBufferCalls, DrawPixelsPutsTheRasterPositionOnAPixel) {
    Image image(format::RGB24, 16, 8);
    recorder.setInteger(GL_MATRIX_MODE, GL_TEXTURE);
    recorder.setIntegers(GL_VIEWPORT, {0, 0, 200, 100});
    EXPECT_TRUE(context->frameBuffer.drawPixels(image, {4, 2}, {30, 10, 5, 6}));
    EXPECT_EQ(recorder.takeCalls(), (Calls{"glPixelZoom(1, -1)",
                                           "glPixelStorei(GL_UNPACK_SWAP_BYTES, 0)",
                                           "glPixelStorei(GL_UNPACK_ROW_LENGTH, 16)",
                                           "glPixelStorei(GL_UNPACK_SKIP_PIXELS, 4)",
                                           "glPixelStorei(GL_UNPACK_SKIP_ROWS, 2)",
                                           "glPixelStorei(GL_UNPACK_ALIGNMENT, 1)",
                                           "glGetIntegerv(GL_MATRIX_MODE, &)",
                                           "glMatrixMode(GL_MODELVIEW)",
                                           "glPushMatrix()",
                                           "glLoadIdentity()",
                                           "glMatrixMode(GL_PROJECTION)",
                                           "glPushMatrix()",
                                           "glLoadIdentity()",
                                           "glGetIntegerv(GL_VIEWPORT, &)",
                                           "glOrtho(0, 200, 0, 100, -1, 1)",
                                           "glRasterPos2f(30.5, 89.5)",
                                           "glBitmap(0, 0, 0, 0, -0.5, 0.5, 0)",
                                           "glDrawPixels(5, 6, GL_RGB, GL_UNSIGNED_BYTE, " +
                                               address(image.pixels()) + ")",
                                           "glPopMatrix()",
                                           "glMatrixMode(GL_MODELVIEW)",
                                           "glPopMatrix()",
                                           "glMatrixMode(GL_TEXTURE)",
                                           "glPixelStorei(GL_UNPACK_ROW_LENGTH, 0)",
                                           "glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0)",
                                           "glPixelStorei(GL_UNPACK_SKIP_ROWS, 0)",
                                           "glPixelStorei(GL_UNPACK_ALIGNMENT, 4)",
                                           "glPixelZoom(1, 1)"}));
}

TEST_F(FrameBufferCalls, CopyToTextureRestoresTheUnitsBinding) {
    GLuint names[2];
    gl.glGenTextures(2, names);
    gl.glBindTexture(GL_TEXTURE_2D, names[0]);
    gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 64, 32, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    Texture2D texture(names[0]);
    EXPECT_EQ(texture.width, 64);
    EXPECT_EQ(texture.height, 32);
    gl.glBindTexture(GL_TEXTURE_2D, names[1]);
    recorder.clear();
    context->frameBuffer.copyToTexture(texture, 0, {8, 4}, {20, 30, 16, 10});
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glActiveTextureARB(GL_TEXTURE0_ARB)",
                     "glGetIntegerv(GL_TEXTURE_BINDING_2D, &)", "glBindTexture(GL_TEXTURE_2D, 1)",
                     "glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 8, 18, 20, 60, 16, 10)",
                     "glBindTexture(GL_TEXTURE_2D, 2)"}));
}

// ---- pixels on Mesa ----

// Draws an image of position-coded pixels into the frame buffer and reads parts back.
TEST(FrameBufferPixels, DrawnImagesLandAtTheirPixelsAndReadBackUpright) {
    test::OffscreenGL offscreen(40, 30);
    ORVANE_REQUIRE_OFFSCREEN(offscreen);
    FrameBuffer& frameBuffer = offscreen.context().frameBuffer;
    gl.glClearColor(0, 0, 0, 1);
    gl.glClear(GL_COLOR_BUFFER_BIT);
    Image source(format::RGB24, 8, 6);
    fillWithPositions(source, 200);
    // Source part from (2, 1), 5 x 4, to the frame buffer at (10, 7).
    ASSERT_TRUE(frameBuffer.drawPixels(source, {2, 1}, {10, 7, 5, 4}));
    EXPECT_EQ(gl.glGetError(), GLenum(GL_NO_ERROR));

    EXPECT_EQ(offscreen.pixel(10, 7), 0xFFC80102u) << "the part's top-left pixel";
    EXPECT_EQ(offscreen.pixel(14, 10), 0xFFC80406u) << "its bottom-right pixel";
    EXPECT_EQ(offscreen.pixel(9, 7), 0xFF000000u);
    EXPECT_EQ(offscreen.pixel(10, 6), 0xFF000000u);
    EXPECT_EQ(offscreen.pixel(15, 10), 0xFF000000u);
    EXPECT_EQ(offscreen.pixel(14, 11), 0xFF000000u);

    // Read an odd-height block into the middle of a larger image.
    Image target(format::RGB24, 9, 9);
    fillWithPositions(target, 7);
    ASSERT_TRUE(frameBuffer.readPixels(target, {3, 2}, {11, 8, 3, 3}));
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x) {
            bool inBlock = x >= 3 && x < 6 && y >= 2 && y < 5;
            std::uint32_t expected = inBlock
                                         ? std::uint32_t((x - 3 + 3) | (y - 2 + 2) << 8 | 200 << 16)
                                         : std::uint32_t(x | y << 8 | 7 << 16);
            EXPECT_EQ(rgbAt(target, x, y), expected) << x << ", " << y;
        }

    Image whole(format::RGBA32, 40, 30);
    ASSERT_TRUE(frameBuffer.readPixels(whole, {0, 0}, {0, 0, 40, 30}));
    const auto* rgba = static_cast<std::uint8_t*>(whole.pixels());
    const std::uint8_t* topLeftOfPart = rgba + 7 * whole.getRowBytes() + 10 * 4;
    EXPECT_EQ(topLeftOfPart[0], 2);
    EXPECT_EQ(topLeftOfPart[1], 1);
    EXPECT_EQ(topLeftOfPart[3], 255);
}

TEST(FrameBufferPixels, CopyToTextureRoundTrips) {
    test::OffscreenGL offscreen(32, 32);
    ORVANE_REQUIRE_OFFSCREEN(offscreen);
    FrameBuffer& frameBuffer = offscreen.context().frameBuffer;
    Image source(format::RGB24, 32, 32);
    fillWithPositions(source, 99);
    ASSERT_TRUE(frameBuffer.drawPixels(source, {0, 0}, {0, 0, 32, 32}));

    GLuint name = 0;
    gl.glGenTextures(1, &name);
    gl.glBindTexture(GL_TEXTURE_2D, name);
    gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 16, 16, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    Texture2D texture(name);
    ASSERT_EQ(texture.height, 16);
    gl.glBindTexture(GL_TEXTURE_2D, 0);
    // Frame-buffer block at (5, 6), 4 x 3, into the texture at (2, 1) from its top.
    frameBuffer.copyToTexture(texture, 0, {2, 1}, {5, 6, 4, 3});
    GLint bound = -1;
    gl.glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0) << "the previous binding is back";

    std::vector<std::uint8_t> texels(16 * 16 * 3);
    gl.glBindTexture(GL_TEXTURE_2D, name);
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    // OpenGL keeps texture rows bottom first; row r from the top is row 15 - r.
    auto texel = [&](int x, int yFromTop) {
        const std::uint8_t* p = texels.data() + ((15 - yFromTop) * 16 + x) * 3;
        return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
    };
    EXPECT_EQ(texel(2, 1), std::uint32_t(5 | 6 << 8 | 99 << 16));
    EXPECT_EQ(texel(5, 3), std::uint32_t(8 | 8 << 8 | 99 << 16));
    gl.glDeleteTextures(1, &name);
}

} // namespace
} // namespace orvane::graphics3d
