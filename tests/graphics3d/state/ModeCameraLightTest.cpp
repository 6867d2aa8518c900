#include "orvane/graphics3d/state/Camera.h"
#include "orvane/graphics3d/state/Mode.h"
#include "orvane/graphics3d/state/PointLight.h"
#include "tests/graphics3d/RecordedContext.h"

#include <cmath>
#include <limits>

namespace orvane::graphics3d {
namespace {

using test::Calls;
using test::RecordedContext;

using ModeTest = RecordedContext;

TEST_F(ModeTest, FreshModeTestsDepthWithoutWritingItAndSwitchesTheRestOff) {
    Mode mode;
    EXPECT_EQ(mode.getClassName(), "Object:Resource:Mode");
    context->modeStack.select(&mode);
    context->modeStack.select(&mode);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE)", "glEnable(GL_DEPTH_TEST)",
                     "glDepthFunc(GL_LEQUAL)", "glDepthMask(GL_FALSE)", "glDepthRange(0, 1)",
                     "glDisable(GL_STENCIL_TEST)", "glStencilMask(0)",
                     "glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP)", "glDisable(GL_BLEND)",
                     "glBlendEquationEXT(GL_FUNC_ADD_EXT)", "glBlendColorEXT(0, 0, 0, 0)",
                     "glDisable(GL_ALPHA_TEST)"}))
        << "selected twice, applied once";
}

TEST_F(ModeTest, EveryFieldReachesOpenGLInTheFixedOrder) {
    Mode mode;
    mode.colourMask[1] = false;
    mode.depthFunc = -1;
    mode.depthMask = true;
    mode.depthNear = 0.25f;
    mode.depthFar = 0.75f;
    mode.stencilFunc = GL_EQUAL;
    mode.stencilRef = 3;
    mode.stencilMask = 0xFF;
    mode.stencilWriteMask = 0x0F;
    mode.stencilFail = GL_ZERO;
    mode.stencilDepthFail = GL_INCR;
    mode.stencilPass = GL_REPLACE;
    mode.blendSource = GL_SRC_ALPHA;
    mode.blendDestination = GL_ONE_MINUS_SRC_ALPHA;
    mode.blendEquation = GL_MAX_EXT;
    mode.blendColour[0] = 0.5f;
    mode.blendColour[3] = 1.0f;
    mode.alphaFunc = GL_GREATER;
    mode.alphaRef = 0.5f;
    mode.apply();
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_TRUE)", "glDisable(GL_DEPTH_TEST)",
                     "glDepthMask(GL_TRUE)", "glDepthRange(0.25, 0.75)",
                     "glEnable(GL_STENCIL_TEST)", "glStencilFunc(GL_EQUAL, 3, 255)",
                     "glStencilMask(15)", "glStencilOp(0, GL_INCR, GL_REPLACE)",
                     "glEnable(GL_BLEND)", "glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA)",
                     "glBlendEquationEXT(GL_MAX_EXT)", "glBlendColorEXT(0.5, 0, 0, 1)",
                     "glEnable(GL_ALPHA_TEST)", "glAlphaFunc(GL_GREATER, 0.5)"}));

    // Back to GL_ONE, GL_ZERO: blending goes off again.
    mode.blendSource = GL_ONE;
    mode.blendDestination = GL_ZERO;
    recorder.clear();
    mode.apply();
    EXPECT_EQ(recorder.count("glDisable"), 2u);
    EXPECT_EQ(recorder.takeCalls()[8], "glDisable(GL_BLEND)");
}

TEST_F(ModeTest, WithoutTheBlendExtensionsNeitherBlendEquationNorColourIsSent) {
    recorder.removeExtension("GL_EXT_blend_minmax");
    recorder.removeExtension("GL_EXT_blend_color");
    Mode mode;
    mode.apply();
    EXPECT_EQ(recorder.count("glBlendEquationEXT"), 0u);
    EXPECT_EQ(recorder.count("glBlendColorEXT"), 0u);
    EXPECT_EQ(recorder.takeCalls().size(), 10u);
}

using CameraTest = RecordedContext;

TEST_F(CameraTest, DefaultCameraLoadsTheFrustumAndPutsTheMatrixModeBack) {
    Camera camera;
    EXPECT_EQ(camera.getClassName(), "Object:Resource:Camera");
    recorder.setInteger(GL_MATRIX_MODE, GLint(GL_TEXTURE));
    EXPECT_TRUE(camera.apply());
    // Rows (1,0,0,0), (0,1,0,0), (0,0,-110/90,-2000/90), (0,0,-1,0) in single precision.
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glGetIntegerv(GL_MATRIX_MODE, &)", "glMatrixMode(GL_PROJECTION)",
                     "glLoadTransposeMatrixfARB({1,0,0,0,0,1,0,0,0,0,-1.2222222,-22.222221,0,0,-"
                     "1,0})",
                     "glMatrixMode(GL_TEXTURE)"}));
    EXPECT_EQ(-110.0f / 90.0f, -1.2222222f);
    EXPECT_EQ(-2000.0f / 90.0f, -22.222221f);
    EXPECT_EQ(context->matrixStack.matrixMode, 0u) << "the cache is neither read nor changed";
}

TEST_F(CameraTest, SymmetricFrustumAndTheCameraMatrixMultiplyFromTheLeft) {
    Camera camera;
    camera.left = -4;
    camera.width = 8;
    camera.bottom = -1.5f;
    camera.height = 3;
    float rows[16];
    ASSERT_TRUE(camera.projection(rows));
    EXPECT_EQ(rows[2], 0.0f);
    EXPECT_EQ(rows[6], 0.0f);
    EXPECT_EQ(rows[0], 2.5f);
    EXPECT_FLOAT_EQ(rows[5], 20.0f / 3);

    // A camera matrix that swaps x and y: the product's rows 0 and 1 are the frustum's
    // rows 1 and 0.
    float frustum[16];
    ASSERT_TRUE(camera.projection(frustum));
    const float swap[16] = {0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::copy(swap, swap + 16, camera.matrix);
    ASSERT_TRUE(camera.projection(rows));
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(rows[j], frustum[4 + j]);
        EXPECT_EQ(rows[4 + j], frustum[j]);
        EXPECT_EQ(rows[8 + j], frustum[8 + j]);
    }
}

TEST_F(CameraTest, DegenerateCameraIsRefusedAndLeavesTheProjectionAlone) {
    Camera flat;
    flat.width = 0;
    Camera thin;
    thin.height = 0;
    Camera shallow;
    shallow.far = shallow.near;
    Camera poisoned;
    poisoned.matrix[5] = std::numeric_limits<float>::quiet_NaN();
    Camera huge;
    huge.near = 3e38f;
    huge.far = -3e38f;
    for (Camera* camera : {&flat, &thin, &shallow, &poisoned, &huge}) {
        float rows[16];
        EXPECT_FALSE(camera->projection(rows));
        EXPECT_FALSE(camera->apply());
    }
    EXPECT_TRUE(recorder.calls().empty());
}

using LightTest = RecordedContext;

TEST_F(LightTest, PointLightInSlotThreeIsEnabledAndPositionedWithWOne) {
    PointLight light;
    EXPECT_EQ(light.getClassName(), "Object:Resource:Light:PointLight");
    light.position[0] = 1;
    light.position[1] = -2;
    light.position[2] = 3.5f;
    context->lightStack.select(&light, 3);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glEnable(GL_LIGHT3)", "glLightfv(GL_LIGHT3, GL_AMBIENT, {0.1,0.1,0.1,0})",
                     "glLightfv(GL_LIGHT3, GL_DIFFUSE, {1,1,1,0})",
                     "glLightfv(GL_LIGHT3, GL_SPECULAR, {1,1,1,0})",
                     "glLightfv(GL_LIGHT3, GL_POSITION, {1,-2,3.5,1})",
                     "glLightf(GL_LIGHT3, GL_CONSTANT_ATTENUATION, 1)",
                     "glLightf(GL_LIGHT3, GL_LINEAR_ATTENUATION, 0)",
                     "glLightf(GL_LIGHT3, GL_QUADRATIC_ATTENUATION, 0)",
                     "glLightf(GL_LIGHT3, GL_SPOT_CUTOFF, 180)",
                     "glLightf(GL_LIGHT3, GL_SPOT_EXPONENT, 0)"}));
}

} // namespace
} // namespace orvane::graphics3d
