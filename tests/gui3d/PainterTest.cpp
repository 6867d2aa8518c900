#include "orvane/freetype/Font.h"
#include "orvane/graphics3d/gl/GLRecorder.h"
#include "orvane/graphics3d/state/Context.h"
#include "orvane/graphics3d/state/Mode.h"
#include "orvane/gui3d/Context.h"
#include "orvane/gui3d/FontMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace orvane::gui3d {
namespace {

using namespace graphics3d; // GL table and constants
using Calls = std::vector<std::string>;

// A scripted texture of the given level-0 size, wrapped as the engine's.
Texture2D* makeTexture(int width, int height) {
    GLuint id = 0;
    gl.glGenTextures(1, &id);
    gl.glBindTexture(GL_TEXTURE_2D, id);
    gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, width, height, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                    nullptr);
    return new Texture2D(id);
}

// The calls that open and close batches.
Calls batchCalls(const Calls& calls) {
    Calls found;
    for (const std::string& call : calls)
        if (call.starts_with("glBegin") || call.starts_with("glEnd") ||
            (call.starts_with("glEnable") && !call.starts_with("glEnableClientState")) ||
            (call.starts_with("glDisable") && !call.starts_with("glDisableClientState")) ||
            call.starts_with("glDrawArrays"))
            found.push_back(call);
    return found;
}

std::string hex(const void* address) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%jx", std::uintmax_t(std::uintptr_t(address)));
    return text;
}

// The calls that draw a gathered batch of `corners` textured corners from the painter's
// vertices, when client arrays are switched from none to position and unit 0's coordinates.
Calls quadDraw(const Context& painter, int corners) {
    const float* vertices = painter.batchVertices().data();
    return {"glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0)",
            "glEnableClientState(GL_VERTEX_ARRAY)",
            "glClientActiveTextureARB(GL_TEXTURE0_ARB)",
            "glEnableClientState(GL_TEXTURE_COORD_ARRAY)",
            "glVertexPointer(2, GL_FLOAT, 16, " + hex(vertices) + ")",
            "glClientActiveTextureARB(GL_TEXTURE0_ARB)",
            "glTexCoordPointer(2, GL_FLOAT, 16, " + hex(vertices + 2) + ")",
            "glDrawArrays(GL_QUADS, 0, " + std::to_string(corners) + ")"};
}

Calls joined(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A painter on a render context without OpenGL behind it, 64 x 48 pixels, in front of a
// recorder.
class PainterTest : public ::testing::Test {
protected:
    void SetUp() override {
        context = graphics3d::Context::createForCurrent();
        context->release(); // the chain keeps it until retire()
        context->frameBuffer.setWidth(64);
        context->frameBuffer.setHeight(48);
        painter = object::Pointer<Context>::adopt(new Context(context));
        recorder.clear();
    }
    void TearDown() override {
        painter = nullptr;
        context->retire();
    }

    GLRecorder recorder;
    graphics3d::Context* context = nullptr;
    object::Pointer<Context> painter;
};

TEST_F(PainterTest, BatchingKindsContinueAndOutlinesStandAlone) {
    painter->fillRectangle({1, 2, 3, 4});
    painter->fillRectangle({5, 6, 7, 8});
    EXPECT_EQ(std::count(recorder.calls().begin(), recorder.calls().end(), "glBegin(GL_QUADS)"), 1)
        << "two rectangles, one batch";
    painter->line({0, 0}, {1, 1});
    painter->fillRectangle({0, 0, 1, 1});
    painter->point({2, 2});
    const Context::Point two[2] = {{3, 3}, {4, 4}};
    painter->points(two, 2);
    painter->lines(two, 2);
    painter->line({9, 9}, {8, 8});
    painter->strokeRectangle({0, 0, 2, 2});
    painter->polyline(two, 2);
    painter->polygon(two, 2);
    painter->fillRectangle({0, 0, 1, 1});
    EXPECT_EQ(painter->currentPrimitive(), Context::FILLED_RECTANGLES);
    painter->flush();
    painter->flush();
    EXPECT_EQ(painter->currentPrimitive(), Context::NONE);
    EXPECT_EQ(
        batchCalls(recorder.takeCalls()),
        (Calls{"glBegin(GL_QUADS)", "glEnd()", "glBegin(GL_LINES)", "glEnd()", "glBegin(GL_QUADS)",
               "glEnd()", "glBegin(GL_POINTS)", "glEnd()", "glBegin(GL_LINES)", "glEnd()",
               "glBegin(GL_LINE_LOOP)", "glEnd()", "glBegin(GL_LINE_LOOP)", "glEnd()",
               "glBegin(GL_POLYGON)", "glEnd()", "glBegin(GL_QUADS)", "glEnd()"}));
}

TEST_F(PainterTest, ShapesAreDrawnCornerByCornerInTheirColour) {
    painter->setColour(1, 0, 0);
    painter->fillRectangle({1, 2, 3, 4});
    painter->setColour(0, 1, 0, 0.5f);
    painter->fillRectangle({0, 0, 1, 1});
    painter->strokeRectangle({10, 20, 5, 6});
    EXPECT_EQ(
        recorder.takeCalls(),
        (Calls{"glColor4f(1, 0, 0, 1)", "glBegin(GL_QUADS)", "glVertex2f(1, 2)", "glVertex2f(1, 6)",
               "glVertex2f(4, 6)", "glVertex2f(4, 2)", "glColor4f(0, 1, 0, 0.5)",
               "glVertex2f(0, 0)", "glVertex2f(0, 1)", "glVertex2f(1, 1)", "glVertex2f(1, 0)",
               "glEnd()", "glBegin(GL_LINE_LOOP)", "glVertex2f(10, 20)", "glVertex2f(10, 26)",
               "glVertex2f(15, 26)", "glVertex2f(15, 20)", "glEnd()"}))
        << "a colour change keeps the batch open";
}

TEST_F(PainterTest, BeginAndEndBracketAFrame) {
    auto* mode = new Mode;
    context->modeStack.select(mode);
    context->frameBuffer.setWidth(640);
    context->frameBuffer.setHeight(480);
    recorder.clear();
    painter->begin();
    EXPECT_EQ(painter->width, 640) << "sized again at every begin";
    EXPECT_EQ(context->modeStack.mode, nullptr) << "the scene's mode applies again next time";
    EXPECT_EQ(
        recorder.takeCalls(),
        (Calls{"glMatrixMode(GL_PROJECTION)", "glPushMatrix()", "glLoadIdentity()",
               "glOrtho(0, 640, 480, 0, -1, 1)", "glMatrixMode(GL_MODELVIEW)", "glPushMatrix()",
               "glLoadIdentity()", "glDisable(GL_CULL_FACE)", "glDisable(GL_DEPTH_TEST)",
               "glDepthMask(GL_FALSE)", "glDisable(GL_LIGHTING)", "glScissor(0, 0, 640, 480)",
               "glEnable(GL_SCISSOR_TEST)", "glShadeModel(GL_FLAT)",
               "glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA)"}));
    painter->fillRectangle({0, 0, 1, 1});
    painter->setClip({10, 20, 30, 40});
    painter->setTransform(graphics::Transform<float>(2, 3, 4, 5, 6, 7));
    recorder.clear();
    painter->point({1, 1});
    painter->end();
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glBegin(GL_POINTS)", "glVertex2f(1, 1)", "glEnd()",
                     "glDisable(GL_SCISSOR_TEST)", "glShadeModel(GL_SMOOTH)", "glPopMatrix()",
                     "glMatrixMode(GL_PROJECTION)", "glPopMatrix()"}))
        << "the colour is still set; the model-view matrix is still selected";
    mode->release();
}

TEST_F(PainterTest, ClipsCountFromTheTopAndTransformsLoadAsColumns) {
    painter->fillRectangle({0, 0, 1, 1});
    recorder.clear();
    painter->setClip({10, 20, 30, 8});
    painter->setTransform(graphics::Transform<float>(2, 3, 4, 5, 6, 7));
    EXPECT_EQ(recorder.takeCalls(), (Calls{"glEnd()", "glScissor(10, 20, 30, 8)",
                                           "glLoadMatrixf({2,5,0,0,3,6,0,0,0,0,1,0,4,7,0,1})"}))
        << "48 - 20 - 8 = 20 rows from the bottom";
}

TEST_F(PainterTest, ImagesBindTheirTextureOnceAndCloseWithTexturingOff) {
    painter->drawImage({0, 0});
    EXPECT_TRUE(recorder.calls().empty()) << "no texture, nothing drawn";
    auto* texture = makeTexture(64, 32);
    painter->setTexture(texture);
    recorder.clear();
    painter->drawImage({5, 6});
    painter->drawImagePart({1, 2}, {16, 8, 32, 16});
    painter->drawImageIn({0, 0, 16, 8});
    EXPECT_EQ(recorder.calls().size(), 4u) << "gathered, not drawn yet";
    painter->fillRectangle({0, 0, 1, 1});
    EXPECT_EQ(context->textureStack.textures[0], texture);
    EXPECT_EQ(
        painter->batchVertices(),
        (std::vector<float>{5, 6, 0, 0, 69, 6, 1, 0, 69, 38, 1, 1, 5, 38, 0, 1,
                            // the part: source corners over the texture size
                            1, 2, 0.25f, 0.25f, 33, 2, 0.75f, 0.25f, 33, 18, 0.75f, 0.75f, 1, 18,
                            0.25f, 0.75f,
                            // one texel per pixel, cut at the rectangle
                            0, 0, 0, 0, 16, 0, 0.25f, 0, 16, 8, 0.25f, 0.25f, 0, 8, 0, 0.25f}));
    EXPECT_EQ(
        recorder.takeCalls(),
        joined({{"glActiveTextureARB(GL_TEXTURE0_ARB)", "glBindTexture(GL_TEXTURE_2D, 1)",
                 "glEnable(GL_TEXTURE_2D)", "glColor3f(1, 1, 1)"},
                quadDraw(*painter, 12),
                {"glDisable(GL_TEXTURE_2D)", "glColor4f(1, 1, 1, 1)", "glBegin(GL_QUADS)",
                 "glVertex2f(0, 0)", "glVertex2f(0, 1)", "glVertex2f(1, 1)", "glVertex2f(1, 0)"}}))
        << "the shape colour is sent again after the image batch set white";
    painter->flush();
    EXPECT_EQ(context->shaderStack.clientArrays,
              ShaderStack::ARRAY_POSITION | ShaderStack::ARRAY_TEXCOORD0)
        << "the shader stack knows which arrays the painter left on";
    texture->release();
}

// A font whose image is 100 x 20 with glyphs for 'A', 200 and 'g'.
object::Pointer<freetype::Font> testFont() {
    const std::int32_t size[2] = {100, 20};
    auto font = object::Pointer<freetype::Font>::adopt(new freetype::Font({}, size));
    font->glyphs['A'] = {64, 16, 8, 8, 9.0f, 36, 1.0f, 8.0f};
    font->glyphs[200] = {0, 0, 10, 12, 11.0f, 100, 0.5f, 11.0f};
    font->glyphs['g'] = {20, 0, 6, 9, 7.0f, 74, 0.0f, 5.0f};
    return font;
}

// The scene may leave another unit active over a texture the painter's unit 0 still holds:
// opening an image batch makes unit 0 active before it enables texturing there.
TEST_F(PainterTest, AnImageBatchEnablesTexturingOnUnitZeroWhateverUnitTheSceneLeftActive) {
    auto* texture = makeTexture(8, 8);
    auto* other = makeTexture(8, 8);
    painter->setTexture(texture);
    painter->drawImage({0, 0});
    painter->flush();
    context->textureStack.bind(other, 1); // the scene, on unit 1
    recorder.clear();
    painter->drawImage({0, 0});
    const Calls calls = recorder.takeCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "glActiveTextureARB(GL_TEXTURE0_ARB)");
    EXPECT_EQ(calls[1], "glEnable(GL_TEXTURE_2D)");
    EXPECT_TRUE(recorder.isEnabled(GL_TEXTURE_2D, 0));
    EXPECT_FALSE(recorder.isEnabled(GL_TEXTURE_2D, 1));
    painter->flush();
    texture->release();
    other->release();
}

TEST_F(PainterTest, FontMapsPlaceGlyphsInTheRoundedTexture) {
    auto texture = object::Pointer<Texture2D>::adopt(makeTexture(128, 32));
    auto font = testFont();
    auto map = object::Pointer<FontMap>::adopt(new FontMap(texture.get(), font.get()));
    EXPECT_EQ(map->getClassName(), "Object:FontMap");
    EXPECT_EQ(font->getReferenceCount(), 2) << "the map keeps its font";
    const FontMap::Glyph& a = map->glyphs['A'];
    EXPECT_EQ(a.s0, 0.5f);
    EXPECT_EQ(a.t0, 0.5f);
    EXPECT_EQ(a.s1, 0.5625f);
    EXPECT_EQ(a.t1, 0.75f);
    EXPECT_EQ(a.advance, 9.0f);
    EXPECT_EQ(a.top, 8.0f);
    EXPECT_EQ(a.left, 1.0f);
    EXPECT_EQ(a.width, 8.0f);
    EXPECT_EQ(a.bottom, 0.0f);
    EXPECT_EQ(map->glyphs['g'].bottom, 4.0f) << "9 high, 5 above the baseline";
    EXPECT_EQ(map->glyphs[0].s1, 0.0f);
}

TEST_F(PainterTest, TextDrawsQuadsFromTheRecordOfEachByte) {
    auto texture = object::Pointer<Texture2D>::adopt(makeTexture(128, 32));
    auto font = testFont();
    painter->setFontMap(
        object::Pointer<FontMap>::adopt(new FontMap(texture.get(), font.get())).get());
    painter->setTextColour(1, 0.5f, 0);
    recorder.clear();
    const char text[] = {char(200), 'A', 0};
    EXPECT_TRUE(painter->drawText({10, 30}, text));
    painter->drawText({0, 0}, "");
    painter->flush();
    EXPECT_EQ(painter->batchVertices(),
              (std::vector<float>{
                  // byte 200: its box 0.5 right of the pen, 11 above and 1 below the baseline
                  10.5f, 19, 0, 0, 20.5f, 19, 0.078125f, 0, 20.5f, 31, 0.078125f, 0.375f, 10.5f, 31,
                  0, 0.375f,
                  // 'A' after an advance of 11
                  22, 22, 0.5f, 0.5f, 30, 22, 0.5625f, 0.5f, 30, 30, 0.5625f, 0.75f, 22, 30, 0.5f,
                  0.75f}));
    EXPECT_EQ(recorder.takeCalls(),
              joined({{"glActiveTextureARB(GL_TEXTURE0_ARB)", "glBindTexture(GL_TEXTURE_2D, 1)",
                       "glEnable(GL_TEXTURE_2D)", "glColor3f(1, 0.5, 0)", "glEnable(GL_BLEND)"},
                      quadDraw(*painter, 8),
                      {"glDisable(GL_TEXTURE_2D)", "glDisable(GL_BLEND)"}}));

    // A long line costs what a short one does; a new colour draws the text so far first.
    painter->drawText({0, 10},
                      "AgAgAgAgAgAgAgAgAgAgAgAgAgAgAgAgAgAgAgAgAgAgAgAgAgAgAgAgAgAgAgAgAg");
    painter->setTextColour(0, 0, 1);
    painter->drawText({0, 20}, "A");
    painter->flush();
    const Calls twoLines = recorder.takeCalls();
    EXPECT_EQ(std::count(twoLines.begin(), twoLines.end(), "glDrawArrays(GL_QUADS, 0, 264)"), 1);
    EXPECT_EQ(std::count(twoLines.begin(), twoLines.end(), "glDrawArrays(GL_QUADS, 0, 4)"), 1);
    EXPECT_EQ(std::count(twoLines.begin(), twoLines.end(), "glColor3f(0, 0, 1)"), 1);
    EXPECT_LE(twoLines.size(), 24u);

    EXPECT_EQ(painter->measureText(""), (Context::Rectangle{0, 0, 0, 0}));
    EXPECT_EQ(painter->measureText(nullptr), (Context::Rectangle{0, 0, 0, 0}));
    EXPECT_EQ(painter->measureText("Ag"), (Context::Rectangle{0, -8, 16, 12}))
        << "highest top 8 ('A'), deepest bottom 4 ('g'), advances 9 + 7";
    EXPECT_EQ(painter->measureText(text), (Context::Rectangle{0, -11, 20, 12}));
    EXPECT_TRUE(recorder.calls().empty()) << "measuring draws nothing";
}

TEST_F(PainterTest, WithoutAFontTheDefaultFontIsLoadedOnceIntoTheCache) {
    FontMap* map = painter->currentFontMap();
    ASSERT_NE(map, nullptr) << "DejaVu Sans comes with scripts/install-deps";
    EXPECT_EQ(map->font->descriptor.sizeY, 16.0f);
    EXPECT_EQ(painter->currentFontMap(), map);
    EXPECT_EQ(painter->fontCache.count(), 1u);
    const Texture2D& texture = *map->texture;
    EXPECT_EQ(texture.width & (texture.width - 1), 0) << "a power of two";
    EXPECT_GE(texture.width, map->font->image.getWidth());
    EXPECT_GE(texture.height, map->font->image.getHeight());
    EXPECT_EQ(recorder.count("glTexSubImage2D"), 1u) << "the font's image uploaded once";
    recorder.clear();
    EXPECT_TRUE(painter->drawText({0, 20}, "Hi"));
    painter->flush();
    EXPECT_EQ(painter->batchVertices().size(), 8 * Context::VERTEX_FLOATS);
    EXPECT_EQ(recorder.count("glDrawArrays"), 1u);
    EXPECT_GT(painter->measureText("Hi").width, 10.0f);

    // Another font object gets its own map, however equal its descriptor.
    auto twin = object::Pointer<freetype::Font>::adopt(new freetype::Font(map->font->descriptor));
    painter->setFont(twin.get());
    EXPECT_NE(painter->currentFontMap(), map);
    EXPECT_EQ(painter->fontCache.get(twin.get()), painter->currentFontMap());
    EXPECT_EQ(painter->fontCache.count(), 2u);
    painter->fontCache.remove(twin.get());
    painter->fontCache.remove(twin.get());
    EXPECT_EQ(painter->fontCache.count(), 1u);
    EXPECT_EQ(twin->getReferenceCount(), 2) << "the painter's map still holds it";
    painter->setFont(nullptr);
    EXPECT_EQ(twin->getReferenceCount(), 1);
    EXPECT_EQ(painter->currentFontMap(), map) << "back to the default";
}

TEST_F(PainterTest, ChangingTheTextureOrFontOfAnOpenBatchStartsANewOne) {
    auto first = object::Pointer<Texture2D>::adopt(makeTexture(16, 16));
    auto second = object::Pointer<Texture2D>::adopt(makeTexture(16, 16));
    painter->setTexture(first.get());
    painter->drawImage({0, 0});
    painter->setTexture(first.get());
    painter->drawImage({0, 0});
    painter->setTexture(second.get());
    painter->drawImage({0, 0});
    painter->flush();
    EXPECT_EQ(recorder.count("glDrawArrays"), 2u);
    EXPECT_EQ(context->textureStack.textures[0], second.get());

    auto font = testFont();
    auto one = object::Pointer<FontMap>::adopt(new FontMap(first.get(), font.get()));
    auto other = object::Pointer<FontMap>::adopt(new FontMap(second.get(), font.get()));
    recorder.clear();
    painter->setFontMap(one.get());
    painter->drawText({0, 0}, "A");
    painter->setFontMap(one.get());
    painter->drawText({0, 0}, "A");
    painter->setFontMap(other.get());
    painter->drawText({0, 0}, "A");
    painter->flush();
    EXPECT_EQ(recorder.count("glDrawArrays"), 2u);
}

} // namespace
} // namespace orvane::gui3d
