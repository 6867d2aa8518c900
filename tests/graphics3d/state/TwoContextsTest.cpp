// Two render contexts used in turn on one thread, as a window with two OpenGL views uses
// them: what is destroyed while the other context is current leaves no dangling pointer
// there, and a shader's state is undone in its own context once that is current again.

#include "orvane/graphics3d/gl/GL.h"
#include "orvane/graphics3d/state/ColourShader.h"
#include "orvane/graphics3d/state/Context.h"
#include "orvane/graphics3d/state/Light.h"
#include "orvane/graphics3d/state/Mode.h"
#include "orvane/graphics3d/state/PointLight.h"
#include "orvane/graphics3d/state/TextureShader.h"
#include "tests/support/OffscreenGL.h"

#include <gtest/gtest.h>

namespace orvane::graphics3d {
namespace {

using object::Pointer;

TEST(TwoContexts, ObjectsDestroyedWhileTheOtherContextIsCurrentLeaveBoth) {
    test::OffscreenGL first(16, 16);
    ORVANE_REQUIRE_OFFSCREEN(first);
    Context& a = first.context();
    auto* mode = new Mode;
    auto* texture = new TextureShader;
    auto* light = new PointLight;
    a.modeStack.select(mode);
    a.shaderStack.select(texture);
    a.lightStack.select(light, 0);
    ASSERT_TRUE(gl.glIsEnabled(GL_TEXTURE_2D));

    test::OffscreenGL second(16, 16);
    ORVANE_REQUIRE_OFFSCREEN(second);
    Context& b = second.context();
    ASSERT_EQ(Context::current(), &b);
    b.shaderStack.select(texture); // current in both
    mode->release();
    texture->release();
    light->release();
    EXPECT_EQ(a.modeStack.mode, nullptr) << "not left dangling in the other context";
    EXPECT_EQ(a.shaderStack.shader, nullptr);
    EXPECT_EQ(a.lightStack.lights[0], nullptr);
    EXPECT_EQ(b.shaderStack.shader, nullptr);
    EXPECT_FALSE(gl.glIsEnabled(GL_TEXTURE_2D)) << "undone at once where it is current";

    // Back in the first context: its next selections call nothing freed (ASan), and the
    // texture state the destroyed shader left there is undone before the next shader's.
    ASSERT_TRUE(first.get()->makeCurrent());
    EXPECT_TRUE(gl.glIsEnabled(GL_TEXTURE_2D)) << "still on until this context changes shader";
    ColourShader plain;
    Mode other;
    a.modeStack.select(&other);
    a.shaderStack.select(&plain);
    EXPECT_FALSE(gl.glIsEnabled(GL_TEXTURE_2D));
    a.shaderStack.reset();
    a.modeStack.reset();
}

} // namespace
} // namespace orvane::graphics3d
