// How the material chunks beyond colour and picture look when drawn: two-sided faces seen
// from behind, transparent colours and translucent pictures over what is behind them,
// tiled maps repeating. Each model is drawn as translated and again compiled.

#include "orvane/graphics3d/model3ds/Translator3DS.h"
#include "orvane/graphics3d/state/TextureManager.h"
#include "orvane/io/MemoryFile.h"
#include "tests/support/ImageFiles.h"
#include "tests/support/ModelFiles.h"
#include "tests/support/OffscreenGL.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace orvane::graphics3d {
namespace {

using object::Pointer;
using test::Bytes;
using test::Chunk;

constexpr int SIZE = 32;

// A square from (-1, -1) to (1, 1) at depth z (nearer the smaller), in material
// `material`; it faces the viewer (+z) unless `away`.
Chunk square(const std::string& material, float z, bool away = false) {
    Chunk faces =
        away ? test::faceChunk({{0, 2, 1}, {0, 3, 2}}) : test::faceChunk({{0, 1, 2}, {0, 2, 3}});
    faces.add(test::groupChunk(material, {0, 1}));
    return Chunk(0x4100)
        .add(test::vertexChunk({-1, -1, z, 1, -1, z, 1, 1, z, -1, 1, z}))
        .add(test::texCoordChunk({0, 0, 1, 0, 1, 1, 0, 1}))
        .add(faces);
}

// An unlit material draws its ambient colour (and its alpha).
test::Material coloured(const std::string& name, std::array<float, 3> colour) {
    return {.name = name, .ambient = colour, .diffuse = colour};
}

// A 32-bit picture of one colour, stored as blue, green, red, alpha.
Bytes onePictureColour(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    test::Tga tga;
    tga.width = tga.height = 4;
    tga.depth = 32;
    tga.descriptor = 0x28; // top-down, 8 alpha bits
    for (int i = 0; i < 16; ++i)
        tga.pixelData.insert(tga.pixelData.end(), {b, g, r, a});
    return test::tgaFile(tga);
}

// An 8 x 8 picture, its left half red and its right half green.
Bytes halvesTga() {
    test::Tga tga;
    tga.width = tga.height = 8;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            tga.pixelData.insert(tga.pixelData.end(),
                                 {0, std::uint8_t(x < 4 ? 0 : 255), std::uint8_t(x < 4 ? 255 : 0)});
    return test::tgaFile(tga);
}

bool near(std::uint32_t pixel, std::uint32_t rgb, int tolerance = 6) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((pixel >> shift) & 0xFF) - int((rgb >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

class Translator3DSLook : public ::testing::Test {
protected:
    void SetUp() override {
        if (!offscreen)
            GTEST_SKIP() << "no offscreen OpenGL: " << native::lastError();
        manager->getFactory().setDirectory(directory.path().c_str());
        translator.setTextureManager(manager.get());
    }
    void TearDown() override {
        if (!offscreen)
            return;
        offscreen.context().shaderStack.reset();
        offscreen.context().materialStack.reset();
        gl.glDisable(GL_CULL_FACE);
        gl.glDisable(GL_DEPTH_TEST);
    }

    Pointer<StaticModel> translate(const Bytes& bytes) {
        io::MemoryFile file(bytes.data(), bytes.size());
        return Pointer<StaticModel>::adopt(
            dynamic_cast<StaticModel*>(translator.translate(file.getInputStream(), -1)));
    }

    // Clears to black (depth to far) and draws the model with the identity transform.
    void draw(StaticModel& model) {
        gl.glClearColor(0, 0, 0, 1);
        gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        auto parameters =
            Pointer<ParameterBuffer>::adopt(ParameterBuffer::create(model.getParameterFormat()));
        const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        std::memcpy(parameters->parameter("position"), identity, sizeof identity);
        model.draw(*parameters);
        // The frame ends: what the last shader set goes.
        offscreen.context().shaderStack.reset();
    }

    // Draws the model as translated, then compiled, and answers the centre pixel of each.
    std::vector<std::uint32_t> centresDrawn(StaticModel& model) {
        draw(model);
        const std::uint32_t interpreted = offscreen.pixel(SIZE / 2, SIZE / 2);
        EXPECT_TRUE(model.compile());
        draw(model);
        return {interpreted, offscreen.pixel(SIZE / 2, SIZE / 2)};
    }

    test::OffscreenGL offscreen{SIZE, SIZE};
    test::TempDirectory directory;
    Pointer<TextureManager> manager = object::make<TextureManager>();
    Translator3DS translator;
};

// Back-face culling on: a square turned away is culled unless its material is two-sided,
// and culling is on again for what is drawn after.
TEST_F(Translator3DSLook, ATwoSidedSquareSeenFromBehindIsDrawnAndCullingComesBack) {
    gl.glEnable(GL_CULL_FACE);
    const auto modelOf = [&](bool twoSided) {
        test::Material green = coloured("Leaf", {0, 1, 0});
        green.twoSided = twoSided;
        return translate(test::modelFile(
            {test::materialChunk(green), test::objectChunk("Leaf", square("Leaf", 0, true))}));
    };
    const Pointer<StaticModel> oneSided = modelOf(false), twoSided = modelOf(true);
    ASSERT_TRUE(oneSided && twoSided);
    for (std::uint32_t pixel : centresDrawn(*oneSided))
        EXPECT_TRUE(near(pixel, 0x000000)) << std::hex << pixel;
    for (std::uint32_t pixel : centresDrawn(*twoSided)) {
        EXPECT_TRUE(near(pixel, 0x00FF00)) << std::hex << pixel;
        EXPECT_TRUE(gl.glIsEnabled(GL_CULL_FACE));
    }
}

// A red square 50 % transparent in front of a blue one: purple, although the red one
// comes first in the file and depth testing is on (the blended square is drawn last, and
// without writing depth). Blending is off again afterwards.
TEST_F(Translator3DSLook, HalfTransparentRedOverBlueIsPurple) {
    gl.glEnable(GL_DEPTH_TEST);
    test::Material red = coloured("Glass", {1, 0, 0});
    red.transparency = 50;
    const Pointer<StaticModel> model = translate(test::modelFile(
        {test::materialChunk(red), test::materialChunk(coloured("Paint", {0, 0, 1})),
         test::objectChunk("Pane", square("Glass", -0.5f)),
         test::objectChunk("Wall", square("Paint", 0.5f))}));
    ASSERT_TRUE(model);
    for (std::uint32_t pixel : centresDrawn(*model)) {
        EXPECT_TRUE(near(pixel, 0x800080)) << std::hex << pixel;
        EXPECT_FALSE(gl.glIsEnabled(GL_BLEND));
        GLboolean depthWrites = GL_FALSE;
        gl.glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
        EXPECT_TRUE(depthWrites);
    }
}

// A picture whose alpha is below 1 blends the same way, with no transparency chunk.
TEST_F(Translator3DSLook, ATranslucentPictureBlendsOverWhatIsBehind) {
    gl.glEnable(GL_DEPTH_TEST);
    directory.write("veil.tga", onePictureColour(255, 0, 0, 128));
    const Pointer<StaticModel> model = translate(test::modelFile(
        {test::materialChunk({.name = "Veil", .ambient = {1, 1, 1}, .texture = "VEIL.TGA"}),
         test::materialChunk(coloured("Paint", {0, 0, 1})),
         test::objectChunk("Veil", square("Veil", -0.5f)),
         test::objectChunk("Wall", square("Paint", 0.5f))}));
    ASSERT_TRUE(model);
    for (std::uint32_t pixel : centresDrawn(*model))
        EXPECT_TRUE(near(pixel, 0x7F0080)) << std::hex << pixel;
}

// A u scale of 2 repeats the picture twice across the square; a map that does not tile
// stretches its edge instead.
TEST_F(Translator3DSLook, AUScaleOfTwoRepeatsThePictureTwice) {
    directory.write("halves.tga", halvesTga());
    const auto modelOf = [&](unsigned tiling) {
        test::Material tiled{.name = "Tiles", .ambient = {1, 1, 1}, .texture = "HALVES.TGA"};
        tiled.placement.uScale = 2;
        tiled.placement.tiling = tiling;
        return translate(test::modelFile(
            {test::materialChunk(tiled), test::objectChunk("Floor", square("Tiles", 0))}));
    };
    const auto rowOf = [&](StaticModel& model) {
        draw(model);
        std::string row;
        for (int x = 2; x < SIZE; x += 4)
            row += near(offscreen.pixel(x, SIZE / 2), 0x0000FF)   ? 'r'
                   : near(offscreen.pixel(x, SIZE / 2), 0x00FF00) ? 'g'
                                                                  : '?';
        return row;
    };
    const Pointer<StaticModel> repeated = modelOf(0);
    ASSERT_TRUE(repeated);
    EXPECT_EQ(rowOf(*repeated), "rrggrrgg");
    const Pointer<StaticModel> clamped = modelOf(0x10);
    ASSERT_TRUE(clamped);
    EXPECT_EQ(rowOf(*clamped), "rrgggggg");
}

} // namespace
} // namespace orvane::graphics3d
