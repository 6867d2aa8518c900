#include "orvane/graphics/Image.h"
#include "orvane/graphics/PixelFormat.h"
#include "orvane/graphics3d/gl/GLRecorder.h"
#include "orvane/graphics3d/state/Context.h"
#include "orvane/graphics3d/state/Material.h"
#include "orvane/graphics3d/state/Mode.h"
#include "orvane/graphics3d/state/Shader.h"
#include "orvane/graphics3d/state/Texture2D.h"
#include "tests/support/OffscreenGL.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace orvane::graphics3d {
namespace {

// Small real state objects, enough to make the caches matter on Mesa.
class DepthMode : public Mode {
public:
    void apply() override {
        gl.glEnable(GL_DEPTH_TEST);
        gl.glDepthFunc(GL_LEQUAL);
    }
    void unapply() override { gl.glDisable(GL_DEPTH_TEST); }
};

class BlendMode : public Mode {
public:
    void apply() override {
        gl.glEnable(GL_BLEND);
        gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    void unapply() override { gl.glDisable(GL_BLEND); }
};

class ModulateShader : public Shader {
public:
    ModulateShader()
        : Shader(0x1005) {}
    void apply() override {
        gl.glActiveTextureARB(GL_TEXTURE0_ARB);
        gl.glEnable(GL_TEXTURE_2D);
        gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
    void unapply() override {
        gl.glActiveTextureARB(GL_TEXTURE0_ARB);
        gl.glDisable(GL_TEXTURE_2D);
    }
};

class PlainShader : public Shader {
public:
    PlainShader()
        : Shader(0x5) {}
};

class ColourOnly : public Material {
public:
    ColourOnly(float r, float g, float b, float a)
        : colour{r, g, b, a} {}
    void apply() override { gl.glColor4fv(colour); }
    float colour[4];
};

struct Vertex {
    float position[3];
    float normal[3];
    float texture[2];
};

GLuint makeCheckerTexture() {
    const std::uint8_t texels[] = {255, 255, 255, 40, 40, 40, 40, 40, 40, 255, 255, 255};
    GLuint name = 0;
    gl.glGenTextures(1, &name);
    gl.glBindTexture(GL_TEXTURE_2D, name);
    gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.glBindTexture(GL_TEXTURE_2D, 0);
    return name;
}

void drawQuad(float x, float y, float z) {
    static Vertex quad[4];
    const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 4; ++i)
        quad[i] = Vertex{{x + corners[i][0] * 0.8f, y + corners[i][1] * 0.8f, z},
                         {0, 0, 1},
                         {corners[i][0], corners[i][1]}};
    gl.glVertexPointer(3, GL_FLOAT, sizeof(Vertex), quad[0].position);
    gl.glNormalPointer(GL_FLOAT, sizeof(Vertex), quad[0].normal);
    gl.glClientActiveTextureARB(GL_TEXTURE0_ARB);
    gl.glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), quad[0].texture);
    gl.glDrawArrays(GL_QUADS, 0, 4);
}

// Renders the same scene in a fresh context and answers its pixels and OpenGL call count.
std::vector<std::uint8_t> renderScene(bool redundancyTests, std::uint64_t& calls) {
    test::OffscreenGL offscreen(64, 64);
    if (!offscreen)
        return {};
    Context& context = offscreen.context();
    context.setRedundancyTests(redundancyTests);
    GLRecorder recorder(GLRecorder::COUNT, GLRecorder::FORWARD);
    gl.glMatrixMode(GL_PROJECTION);
    gl.glLoadIdentity();
    gl.glOrtho(0, 4, 0, 4, -10, 10);
    gl.glClearColor(0.1f, 0.2f, 0.3f, 1);
    gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    DepthMode depth;
    BlendMode blend;
    ModulateShader textured;
    PlainShader plain;
    ColourOnly red(1, 0.2f, 0.2f, 1), glass(0.2f, 0.4f, 1, 0.5f);
    Texture2D texture(makeCheckerTexture());
    // Runs of repeated selections, as a sorted model would have them.
    for (int i = 0; i < 12; ++i) {
        bool second = i >= 6;
        context.matrixStack.setMatrixMode(GL_MODELVIEW);
        context.modeStack.select(second ? static_cast<Mode*>(&blend) : &depth);
        context.shaderStack.select(i % 3 == 2 ? static_cast<Shader*>(&plain) : &textured);
        context.materialStack.select(second ? &glass : &red);
        context.textureStack.bind(&texture, 0);
        drawQuad(float(i % 4), float(i / 4), second ? 1.0f : float(i) * 0.1f);
    }
    context.shaderStack.reset();
    context.modeStack.reset();
    calls = recorder.total();

    graphics::Image frame(graphics::PixelFormat::RGBA32, 64, 64);
    context.frameBuffer.readPixels(frame, {0, 0}, {0, 0, 64, 64});
    auto* pixels = static_cast<std::uint8_t*>(frame.pixels());
    GLuint name = texture.id;
    gl.glDeleteTextures(1, &name);
    return std::vector<std::uint8_t>(pixels, pixels + 64 * 64 * 4);
}

TEST(RedundancySwitch, BothSettingsRenderTheSamePixels) {
    std::uint64_t cachedCalls = 0, resentCalls = 0;
    std::vector<std::uint8_t> cached = renderScene(true, cachedCalls);
    if (cached.empty())
        GTEST_SKIP() << "no offscreen OpenGL: " << native::lastError();
    std::vector<std::uint8_t> resent = renderScene(false, resentCalls);
    ASSERT_EQ(cached.size(), resent.size());
    EXPECT_TRUE(cached == resent) << "the caches change what is drawn";
    EXPECT_GT(resentCalls, cachedCalls + 40) << "without the tests every selection re-sends";

    // The scene really drew: textured red quads, blended ones and the background.
    std::vector<std::uint32_t> seen;
    for (std::size_t i = 0; i < cached.size(); i += 4) {
        std::uint32_t pixel;
        std::memcpy(&pixel, &cached[i], 4);
        if (std::find(seen.begin(), seen.end(), pixel) == seen.end())
            seen.push_back(pixel);
    }
    EXPECT_GE(seen.size(), 5u);
}

} // namespace
} // namespace orvane::graphics3d
