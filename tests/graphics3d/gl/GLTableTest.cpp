#include "orvane/graphics3d/gl/Extensions.h"
#include "orvane/graphics3d/gl/GL.h"
#include "orvane/graphics3d/gl/GLRecorder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace orvane::graphics3d {
namespace {

// A process in which no context has published anything: the table is all stubs.
class WithoutOpenGL : public ::testing::Test {
protected:
    void SetUp() override { restoreGLDispatch(GLDispatch{glStubs(), glLoader(), false}); }
    void TearDown() override { restoreGLDispatch(saved); }
    GLDispatch saved = saveGLDispatch();
};

struct Row {
    std::string name;
    int count;
};

std::vector<Row> extensionRows() {
    std::vector<Row> rows;
#define ROW(row, count) rows.push_back({#row, count});
    ORVANE_GL_EXTENSION_ROWS(ROW)
#undef ROW
    return rows;
}

std::size_t firstSlotOf(const std::string& row) {
    for (std::size_t i = 0; i < GL_SLOT_COUNT; ++i)
        if (glSlotInfo(GLSlot(i)).row == row)
            return i;
    return GL_SLOT_COUNT;
}

TEST(GLTable, ListsTheCoreThenTheExtensionRowsInSlotOrder) {
    std::vector<Row> rows = extensionRows();
    ASSERT_EQ(rows.size(), 29u) << "28 fixed rows and the framebuffer objects";
    int fixed = 0;
    for (std::size_t i = 0; i < 28; ++i)
        fixed += rows[i].count;
    EXPECT_EQ(fixed, 292);
    EXPECT_EQ(rows.front().name, "GL_ARB_multitexture");
    EXPECT_EQ(rows[27].name, "WGL_ARB_render_texture");
    EXPECT_EQ(rows.back().name, "GL_EXT_framebuffer_object");

    // Rows follow each other without gaps, each one contiguous.
    std::size_t slot = firstSlotOf("GL_ARB_multitexture");
    for (const Row& row : rows) {
        EXPECT_EQ(firstSlotOf(row.name), slot) << row.name;
        slot += std::size_t(row.count);
    }
    EXPECT_EQ(slot, GL_SLOT_COUNT);
    for (std::size_t i = 0; i < firstSlotOf("GL_ARB_multitexture"); ++i)
        EXPECT_TRUE(glSlotInfo(GLSlot(i)).isCore()) << glSlotInfo(GLSlot(i)).name;

    EXPECT_STREQ(glSlotInfo(GLSlot::glActiveTextureARB).row, "GL_ARB_multitexture");
    EXPECT_STREQ(glSlotInfo(GLSlot::glVertexBlendARB).row, "GL_ARB_vertex_blend");
    EXPECT_EQ(std::size_t(GLSlot::wglSetPbufferAttribARB) + 1,
              firstSlotOf("GL_EXT_framebuffer_object"));
    GLSlot found;
    ASSERT_TRUE(findGLSlot("glBlendEquationEXT", found));
    EXPECT_EQ(found, GLSlot::glBlendEquationEXT);
    EXPECT_FALSE(findGLSlot("glNoSuchFunction", found));
}

TEST(GLTable, ExtensionWordsMatchOnlyWholeWords) {
    EXPECT_TRUE(extensionStringNames("GL_ARB_multitexture GL_EXT_bgra", "GL_ARB_multitexture"));
    EXPECT_TRUE(extensionStringNames("GL_EXT_bgra GL_ARB_multitexture", "GL_ARB_multitexture"));
    EXPECT_FALSE(
        extensionStringNames("GL_ARB_multitexture_extra GL_EXT_bgra", "GL_ARB_multitexture"));
    // A later whole-word occurrence counts after an earlier partial one.
    EXPECT_TRUE(extensionStringNames("GL_EXT_bgraX GL_EXT_bgra", "GL_EXT_bgra"));
    // A name that only ends a longer word is not named either.
    EXPECT_FALSE(extensionStringNames("WGL_ARB_pbuffer", "GL_ARB_pbuffer"));
    EXPECT_FALSE(extensionStringNames(nullptr, "GL_ARB_multitexture"));
    EXPECT_FALSE(extensionStringNames("GL_EXT_bgra", ""));
}

// A loader that knows a few names and remembers what it was asked.
std::vector<std::string> asked;
void* fakeLoader(const char* name) {
    asked.push_back(name);
    static char marker[4];
    if (!std::strcmp(name, "glClear") || !std::strcmp(name, "glActiveTextureARB") ||
        !std::strcmp(name, "glBlendColorEXT"))
        return marker;
    return nullptr;
}

TEST_F(WithoutOpenGL, LoadingFillsCoreSlotsAndOnlyTheRowsTheStringNames) {
    asked.clear();
    GLTable table = loadGLTable(fakeLoader, "GL_ARB_multitexture GL_EXT_blend_minmax");
    EXPECT_NE(reinterpret_cast<void*>(table.glClear), nullptr);
    EXPECT_NE(table.glClear, glStubs().glClear);
    EXPECT_EQ(table.glFlush, glStubs().glFlush) << "a core function the loader lacks stays a stub";
    EXPECT_NE(reinterpret_cast<void*>(table.glActiveTextureARB), nullptr);
    EXPECT_EQ(table.glClientActiveTextureARB, nullptr) << "named row, but no address";
    EXPECT_EQ(table.glBlendColorEXT, nullptr) << "the loader has it, the string does not";
    EXPECT_EQ(table.glBlendEquationEXT, nullptr);
    for (const std::string& name : asked)
        EXPECT_NE(name, "glBlendColorEXT") << "rows the string does not name are not asked for";
}

TEST_F(WithoutOpenGL, EveryEntryIsAStubThatDoesNothing) {
    EXPECT_EQ(gl.glGetString(GL_EXTENSIONS), nullptr);
    EXPECT_EQ(gl.glIsEnabled(GL_LIGHTING), GL_FALSE);
    EXPECT_EQ(gl.glGetError(), GLenum(GL_NO_ERROR));
    GLuint texture = 0;
    gl.glGenTextures(1, &texture);
    EXPECT_EQ(texture, 0u) << "creation paths see no name and can fail cleanly";
    EXPECT_EQ(gl.glMapBufferARB(GL_ARRAY_BUFFER_ARB, GL_WRITE_ONLY_ARB), nullptr);
    gl.glActiveTextureARB(GL_TEXTURE1_ARB);
    gl.glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_FALSE(isAvailable(&GLTable::glBindBufferARB));
    EXPECT_FALSE(isAvailable(&GLTable::glClear));
}

TEST_F(WithoutOpenGL, ExtensionsWithoutAContextSupportNothingAndPublishNothing) {
    Extensions extensions;
    EXPECT_EQ(extensions.extensionString, nullptr);
    EXPECT_FALSE(extensions.isSupported("GL_ARB_multitexture"));
    EXPECT_EQ(extensions.entryPoints.glActiveTextureARB, nullptr);
    EXPECT_FALSE(isGLPublished());
    EXPECT_EQ(gl.glClear, glStubs().glClear);
    EXPECT_EQ(extensions.getClassName(), "Object:Extensions");
}

TEST_F(WithoutOpenGL, TheFirstExtensionsPublishesAndLaterOnesKeepTheirOwnTable) {
    GLRecorder recorder;
    recorder.removeExtension("GL_EXT_blend_color");
    EXPECT_EQ(gl.glBlendColorEXT, nullptr) << "removed from the table at once";
    Extensions first;
    EXPECT_TRUE(isGLPublished());
    EXPECT_TRUE(first.isSupported("GL_ARB_multitexture"));
    EXPECT_FALSE(first.isSupported("GL_EXT_blend_color"));
    EXPECT_EQ(gl.glActiveTextureARB, first.entryPoints.glActiveTextureARB);
    EXPECT_EQ(recorder.takeCalls(), (std::vector<std::string>{"glGetString(GL_EXTENSIONS)"}));

    recorder.setExtensions("GL_ARB_multitexture");
    Extensions second;
    EXPECT_EQ(second.entryPoints.glBlendEquationEXT, nullptr);
    EXPECT_TRUE(isAvailable(&GLTable::glActiveTextureARB));
    EXPECT_EQ(gl.glActiveTextureARB, first.entryPoints.glActiveTextureARB);
    EXPECT_EQ(gl.glBlendEquationEXT, nullptr) << "the string change reached the table";
    EXPECT_EQ(second.entryPoints.glLoadTransposeMatrixfARB, nullptr);
}

TEST_F(WithoutOpenGL, RemovingARecorderPutsBackWhatWasThere) {
    {
        GLRecorder recorder;
        Extensions extensions;
        EXPECT_TRUE(isGLPublished());
        EXPECT_NE(gl.glClear, glStubs().glClear);
    }
    EXPECT_FALSE(isGLPublished());
    EXPECT_EQ(gl.glClear, glStubs().glClear);
    EXPECT_EQ(GLRecorder::active(), nullptr);
}

} // namespace
} // namespace orvane::graphics3d
