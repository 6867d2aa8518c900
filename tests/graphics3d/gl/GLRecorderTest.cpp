#include "orvane/graphics3d/gl/GLRecorder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::graphics3d {
namespace {

using Calls = std::vector<std::string>;

TEST(GLRecorder, WritesEveryCallAsOneReadableLine) {
    GLRecorder recorder;
    const float ambient[] = {0.2f, 0.2f, 0.2f, 1.0f};
    const float direction[] = {0, -1, 0.5f};
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const GLuint names[] = {3, 4};
    GLint mode = 0;
    gl.glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    gl.glLightfv(GL_LIGHT3, GL_SPOT_DIRECTION, direction);
    gl.glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 12.5f);
    gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl.glBlendFunc(GL_ONE, GL_ZERO);
    gl.glDrawArrays(GL_TRIANGLES, 0, 3);
    gl.glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_TRUE);
    gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.glVertexPointer(3, GL_FLOAT, 32, reinterpret_cast<const void*>(24));
    gl.glNormalPointer(GL_FLOAT, 32, nullptr);
    gl.glDeleteTextures(2, names);
    gl.glGetIntegerv(GL_MATRIX_MODE, &mode);
    gl.glLoadTransposeMatrixfARB(identity);
    gl.glColor4fv(ambient);
    gl.glDepthRange(0.25, 1.0);
    gl.glEnable(0x9999);
    gl.glClientActiveTextureARB(GL_TEXTURE0_ARB + 3);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, {0.2,0.2,0.2,1})",
                     "glLightfv(GL_LIGHT3, GL_SPOT_DIRECTION, {0,-1,0.5})",
                     "glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 12.5)",
                     "glClear(GL_COLOR_BUFFER_BIT|GL_DEPTH_BUFFER_BIT)",
                     "glBlendFunc(GL_ONE, GL_ZERO)", "glDrawArrays(GL_TRIANGLES, 0, 3)",
                     "glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_TRUE)",
                     "glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE)",
                     "glPixelStorei(GL_PACK_ALIGNMENT, 1)",
                     "glVertexPointer(3, GL_FLOAT, 32, 0x18)", "glNormalPointer(GL_FLOAT, 32, 0)",
                     "glDeleteTextures(2, {3,4})", "glGetIntegerv(GL_MATRIX_MODE, &)",
                     "glLoadTransposeMatrixfARB({1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1})",
                     "glColor4fv({0.2,0.2,0.2,1})", "glDepthRange(0.25, 1)", "glEnable(0x9999)",
                     "glClientActiveTextureARB(GL_TEXTURE3_ARB)"}));
    EXPECT_TRUE(recorder.calls().empty());
    EXPECT_EQ(recorder.count("glMaterialfv"), 1u) << "taking the log keeps the counts";
}

TEST(GLRecorder, AnswersQueriesFromTheStateTheCallsKeep) {
    GLRecorder recorder;
    gl.glActiveTextureARB(GL_TEXTURE1_ARB);
    gl.glEnable(GL_TEXTURE_2D);
    gl.glEnable(GL_LIGHTING);
    EXPECT_EQ(gl.glIsEnabled(GL_TEXTURE_2D), GL_TRUE);
    gl.glActiveTextureARB(GL_TEXTURE0_ARB);
    EXPECT_EQ(gl.glIsEnabled(GL_TEXTURE_2D), GL_FALSE) << "texturing is per unit";
    EXPECT_EQ(gl.glIsEnabled(GL_LIGHTING), GL_TRUE);
    EXPECT_TRUE(recorder.isEnabled(GL_TEXTURE_2D, 1));

    GLint value = -1;
    gl.glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GLint(GL_MODELVIEW));
    gl.glMatrixMode(GL_PROJECTION);
    gl.glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GLint(GL_PROJECTION));

    GLuint textures[2] = {};
    gl.glGenTextures(2, textures);
    EXPECT_EQ(textures[0], 1u);
    EXPECT_EQ(textures[1], 2u);
    gl.glBindTexture(GL_TEXTURE_2D, textures[1]);
    gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 64, 32, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    gl.glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &value);
    EXPECT_EQ(value, 64);
    gl.glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &value);
    EXPECT_EQ(value, GLint(GL_RGB8));
    gl.glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(value, 2);
    gl.glActiveTextureARB(GL_TEXTURE1_ARB);
    gl.glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(value, 0) << "bindings are per unit";
    EXPECT_EQ(recorder.liveTextures(), 2u);
    gl.glDeleteTextures(2, textures);
    EXPECT_EQ(recorder.liveTextures(), 0u);
    EXPECT_EQ(gl.glIsTexture(textures[0]), GL_FALSE);

    recorder.queueError(GL_OUT_OF_MEMORY);
    EXPECT_EQ(gl.glGetError(), GLenum(GL_OUT_OF_MEMORY));
    EXPECT_EQ(gl.glGetError(), GLenum(GL_NO_ERROR));
    recorder.setIntegers(GL_VIEWPORT, {0, 0, 640, 480});
    GLint viewport[4] = {};
    gl.glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 480);
}

TEST(GLRecorder, BufferObjectsKeepTheirStorageAndMapIt) {
    GLRecorder recorder;
    GLuint buffer = 0;
    gl.glGenBuffersARB(1, &buffer);
    gl.glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffer);
    const std::uint8_t bytes[] = {1, 2, 3, 4};
    gl.glBufferDataARB(GL_ARRAY_BUFFER_ARB, 8, nullptr, GL_STATIC_DRAW_ARB);
    gl.glBufferSubDataARB(GL_ARRAY_BUFFER_ARB, 2, 4, bytes);
    auto* mapped =
        static_cast<std::uint8_t*>(gl.glMapBufferARB(GL_ARRAY_BUFFER_ARB, GL_WRITE_ONLY_ARB));
    ASSERT_NE(mapped, nullptr);
    mapped[7] = 9;
    EXPECT_EQ(gl.glUnmapBufferARB(GL_ARRAY_BUFFER_ARB), GL_TRUE);
    EXPECT_EQ(recorder.bufferContents(buffer), (std::vector<std::uint8_t>{0, 0, 1, 2, 3, 4, 0, 9}));
    recorder.refuseMapping(true);
    EXPECT_EQ(gl.glMapBufferARB(GL_ARRAY_BUFFER_ARB, GL_WRITE_ONLY_ARB), nullptr);
    gl.glDeleteBuffersARB(1, &buffer);
    EXPECT_EQ(recorder.liveBuffers(), 0u);
}

TEST(GLRecorder, RemovedExtensionsLeaveTheirEntriesNull) {
    GLRecorder recorder;
    EXPECT_TRUE(isAvailable(&GLTable::glBlendEquationEXT));
    recorder.removeExtension("GL_EXT_blend_minmax");
    EXPECT_EQ(gl.glBlendEquationEXT, nullptr);
    EXPECT_TRUE(isAvailable(&GLTable::glBlendColorEXT));
    std::string extensions = reinterpret_cast<const char*>(gl.glGetString(GL_EXTENSIONS));
    EXPECT_EQ(extensions.find("GL_EXT_blend_minmax"), std::string::npos);
    EXPECT_NE(extensions.find("GL_EXT_blend_color"), std::string::npos);
}

TEST(GLRecorder, CountingModeKeepsNoTextAndCountsByFunction) {
    GLRecorder recorder(GLRecorder::COUNT);
    for (int i = 0; i < 5; ++i)
        gl.glEnable(GL_LIGHTING);
    gl.glDisable(GL_LIGHTING);
    EXPECT_TRUE(recorder.calls().empty());
    EXPECT_EQ(recorder.count(GLSlot::glEnable), 5u);
    EXPECT_EQ(recorder.count("glDisable"), 1u);
    EXPECT_EQ(recorder.total(), 6u);
    EXPECT_EQ(gl.glIsEnabled(GL_LIGHTING), GL_FALSE) << "the state is still kept";
    recorder.clear();
    EXPECT_EQ(recorder.total(), 0u);
}

} // namespace
} // namespace orvane::graphics3d
