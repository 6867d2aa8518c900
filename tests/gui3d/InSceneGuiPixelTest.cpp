#include "orvane/freetype/FontLoader.h"
#include "orvane/graphics3d/state/Mode.h"
#include "orvane/gui3d/Label.h"
#include "orvane/gui3d/Root.h"
#include "orvane/gui3d/StatisticsOverlay.h"
#include "tests/support/OffscreenGL.h"

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace orvane::gui3d {
namespace {

using namespace graphics3d; // GL table and constants

// The whole frame as RGBA bytes, rows from the top.
std::vector<std::uint8_t> readFrame(int width, int height) {
    std::vector<std::uint8_t> rows(std::size_t(width * height * 4));
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    std::vector<std::uint8_t> upright(rows.size());
    const std::size_t row = std::size_t(width * 4);
    for (int y = 0; y < height; ++y)
        std::copy_n(rows.begin() + std::ptrdiff_t(std::size_t(height - 1 - y) * row), row,
                    upright.begin() + std::ptrdiff_t(std::size_t(y) * row));
    return upright;
}

// The coverage of a line of text as FreeType renders it glyph by glyph, pen at (x, y) on
// the baseline, into a grey picture of the frame's size.
std::vector<int> renderWithFreeType(const std::string& path, float size, const char* text, int x,
                                    int y, int width, int height) {
    std::vector<int> picture(std::size_t(width * height), 0);
    FT_Library library;
    FT_Face face;
    if (FT_Init_FreeType(&library) != 0)
        return picture;
    if (FT_New_Face(library, path.c_str(), 0, &face) == 0) {
        FT_Set_Char_Size(face, FT_F26Dot6(size * 64), FT_F26Dot6(size * 64), 72, 72);
        for (const char* c = text; *c; ++c) {
            if (FT_Load_Char(face, static_cast<unsigned char>(*c), FT_LOAD_RENDER) != 0)
                continue;
            const FT_GlyphSlot slot = face->glyph;
            for (int row = 0; row < int(slot->bitmap.rows); ++row)
                for (int column = 0; column < int(slot->bitmap.width); ++column) {
                    int px = x + slot->bitmap_left + column, py = y - slot->bitmap_top + row;
                    if (px >= 0 && px < width && py >= 0 && py < height)
                        picture[std::size_t(py * width + px)] =
                            slot->bitmap.buffer[row * slot->bitmap.pitch + column];
                }
            x += int(slot->advance.x / 64);
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return picture;
}

TEST(InSceneGuiPixels, ALabelsTextIsTheFontsGlyphsAsFreeTypeDrawsThem) {
    constexpr int width = 160, height = 48;
    test::OffscreenGL offscreen(width, height);
    ORVANE_REQUIRE_OFFSCREEN(offscreen);
    std::string error;
    auto font = object::Pointer<freetype::Font>::adopt(
        freetype::FontLoader::load(freetype::Descriptor(), &error));
    ASSERT_TRUE(font) << error;
    ASSERT_EQ(font->ascender, float(int(font->ascender))) << "hinted metrics are whole pixels";

    auto* root = new Root(&offscreen.context());
    const char* text = "Orvane 3D: gy!";
    auto* label = new Label({8, 6, 150, 36}, text);
    root->addView(label);
    label->release();
    gl.glClearColor(0, 0, 0, 1);
    gl.glClear(GL_COLOR_BUFFER_BIT);
    root->paint();
    std::vector<std::uint8_t> frame = readFrame(width, height);
    root->release();

    const int penX = 8 + 2, baseline = 6 + 2 + int(font->ascender);
    std::vector<int> expected = renderWithFreeType(freetype::FontLoader::locate({}), 16, text, penX,
                                                   baseline, width, height);
    int lit = 0, worst = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = &frame[std::size_t((y * width + x) * 4)];
            const int want = expected[std::size_t(y * width + x)];
            worst = std::max(
                {worst, std::abs(p[0] - want), std::abs(p[1] - want), std::abs(p[2] - want)});
            lit += want > 128;
        }
    EXPECT_GT(lit, 150) << "a line of text lights many pixels";
    EXPECT_LE(worst, 2) << "white text blended over black is its glyphs' coverage";
}

// A small 3D scene: a depth-tested quad, tilted in perspective, in front of a blue clear,
// with its state selected through the render context's mode stack as a scene does.
void drawScene(graphics3d::Context& context, Mode& mode) {
    context.modeStack.select(&mode);
    gl.glClearColor(0, 0, 0.5f, 1);
    gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    context.matrixStack.setMatrixMode(GL_PROJECTION);
    gl.glLoadIdentity();
    gl.glFrustum(-1, 1, -0.75, 0.75, 1, 10);
    context.matrixStack.setMatrixMode(GL_MODELVIEW);
    gl.glLoadIdentity();
    gl.glTranslatef(0, 0, -3);
    gl.glRotatef(35, 1, 1, 0);
    gl.glBegin(GL_QUADS);
    gl.glColor3f(1, 0, 0);
    gl.glVertex3f(-1, -1, 0);
    gl.glColor3f(0, 1, 0);
    gl.glVertex3f(1, -1, 0);
    gl.glColor3f(1, 1, 0);
    gl.glVertex3f(1, 1, 0);
    gl.glColor3f(1, 1, 1);
    gl.glVertex3f(-1, 1, 0);
    gl.glEnd();
    // A second quad that the depth test must hide where the first one is nearer.
    gl.glColor3f(0, 1, 1);
    gl.glBegin(GL_QUADS);
    gl.glVertex3f(-2, -0.2f, -0.5f);
    gl.glVertex3f(2, -0.2f, -0.5f);
    gl.glVertex3f(2, 0.2f, -0.5f);
    gl.glVertex3f(-2, 0.2f, -0.5f);
    gl.glEnd();
}

TEST(InSceneGuiPixels, TheOverlayCoversOnlyItsRectangleAndTheSceneDrawsTheSameAfterIt) {
    constexpr int width = 128, height = 96;
    test::OffscreenGL offscreen(width, height);
    ORVANE_REQUIRE_OFFSCREEN(offscreen);
    graphics3d::Context& context = offscreen.context();
    auto mode = object::Pointer<Mode>::adopt(new Mode);
    mode->depthFunc = GL_LESS;
    mode->depthMask = true;

    auto* root = new Root(&context);
    auto* overlay = new StatisticsOverlay({6, 50});
    overlay->frameFinished(1.0, 0.004);
    overlay->frameFinished(1.02, 0.006);
    overlay->setGLCalls(123);
    root->addView(overlay);
    overlay->release();

    drawScene(context, *mode);
    const std::vector<std::uint8_t> scene = readFrame(width, height);
    drawScene(context, *mode);
    root->paint();
    const std::vector<std::uint8_t> covered = readFrame(width, height);
    drawScene(context, *mode);
    const std::vector<std::uint8_t> again = readFrame(width, height);
    // The overlay took the size of its three lines, within the window.
    const View::Rectangle frame = overlay->frame;
    root->release();
    EXPECT_EQ(frame.x, 6);
    EXPECT_EQ(frame.y, 50);
    EXPECT_GT(frame.height, 40) << "three lines";
    EXPECT_LE(frame.x + frame.width, float(width));
    const int right = int(frame.x + frame.width), bottom = int(frame.y + frame.height);

    EXPECT_EQ(again, scene) << "the painter left nothing behind that changes the scene";
    int inside = 0, changedInside = 0, changedOutside = 0, bright = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::size_t at = std::size_t((y * width + x) * 4);
            const bool differs = !std::equal(&scene[at], &scene[at] + 3, &covered[at]);
            if (x >= 6 && x < right && y >= 50 && y < bottom) {
                ++inside;
                changedInside += differs;
                bright += covered[at] > 200 && covered[at + 1] > 200;
            } else {
                changedOutside += differs;
            }
        }
    EXPECT_EQ(changedOutside, 0);
    EXPECT_GT(changedInside, inside * 9 / 10) << "its background covers its rectangle";
    EXPECT_GT(bright, 40) << "and its text shows on it";
    EXPECT_NE(scene[std::size_t((48 * width + 64) * 4)], 0) << "the scene is there";
}

} // namespace
} // namespace orvane::gui3d
