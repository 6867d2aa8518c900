#include "orvane/graphics3d/mesh/IndexMesh.h"
#include "orvane/graphics3d/model/StaticModel.h"
#include "orvane/graphics3d/state/Appearance.h"
#include "orvane/graphics3d/state/Context.h"
#include "orvane/graphics3d/state/Material.h"
#include "orvane/graphics3d/state/Shader.h"
#include "tests/support/MeshBuffers.h"
#include "tests/support/OffscreenGL.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace orvane::graphics3d {
namespace {

using object::Pointer;

class FlatColour : public Material {
public:
    FlatColour(float r, float g, float b)
        : colour{r, g, b, 1} {}
    void apply() override { gl.glColor4fv(colour); }
    float colour[4];
};

// A 4 x 4 grid of unit squares as 25 shared vertices and one 16-bit index list of 96
// indices, cut into three meshes of different colours (6, 5 and 5 squares).
struct GridModel {
    explicit GridModel(int usage) {
        std::vector<float> xyz;
        for (int y = 0; y <= 4; ++y)
            for (int x = 0; x <= 4; ++x)
                xyz.insert(xyz.end(), {float(x), float(y), 0});
        vertices = test::makePositionBuffer(xyz, usage);
        std::vector<std::uint16_t> list;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                const auto corner = std::uint16_t(y * 5 + x);
                list.insert(list.end(),
                            {corner, std::uint16_t(corner + 1), std::uint16_t(corner + 6), corner,
                             std::uint16_t(corner + 6), std::uint16_t(corner + 5)});
            }
        indices = Pointer<IndexBuffer>::adopt(IndexBuffer::create(2, 96, usage));
        std::memcpy(indices->lock(GL_WRITE_ONLY_ARB), list.data(), list.size() * 2);
        indices->unlock();

        auto shader = object::make<Shader>(VertexFormat::ARRAY_POSITION);
        const float colours[3][3] = {{1, 0.2f, 0.2f}, {0.2f, 1, 0.2f}, {0.3f, 0.3f, 1}};
        const std::uint32_t cuts[4] = {0, 36, 66, 96};
        for (int part = 0; part < 3; ++part) {
            auto appearance = object::make<Appearance>();
            appearance->setShader(shader.get());
            appearance->setMaterial(
                object::make<FlatColour>(colours[part][0], colours[part][1], colours[part][2])
                    .get());
            auto mesh = object::make<IndexMesh>();
            mesh->setVertexBuffer(vertices.get(), 0);
            mesh->setIndexBuffer(indices.get());
            mesh->setAppearance(appearance.get());
            mesh->setFirst(cuts[part]);
            mesh->setEnd(cuts[part + 1]);
            model->addMesh(mesh.get());
        }
        model->initialise();
    }

    Pointer<VertexBuffer> vertices;
    Pointer<IndexBuffer> indices;
    Pointer<StaticModel> model = object::make<StaticModel>();
};

// Draws the grid model into a fresh offscreen context and answers its pixels (empty when
// there is no offscreen OpenGL) and whether its buffers were buffer objects.
std::vector<std::uint8_t> renderGrid(int usage, bool& inBufferObjects) {
    test::OffscreenGL offscreen(48, 48);
    if (!offscreen)
        return {};
    GridModel grid(usage);
    inBufferObjects = grid.vertices->bufferObject() != 0 && grid.indices->bufferObject() != 0;
    gl.glMatrixMode(GL_PROJECTION);
    gl.glLoadIdentity();
    gl.glOrtho(0, 48, 0, 48, -1, 1);
    gl.glClearColor(0, 0, 0, 1);
    gl.glClear(GL_COLOR_BUFFER_BIT);

    // "position": scale by 10 and move by (4, 4), row-major.
    auto parameters =
        Pointer<ParameterBuffer>::adopt(ParameterBuffer::create(grid.model->getParameterFormat()));
    const float matrix[16] = {10, 0, 0, 4, 0, 10, 0, 4, 0, 0, 1, 0, 0, 0, 0, 1};
    std::memcpy(parameters->parameter("position"), matrix, sizeof matrix);
    grid.model->draw(*parameters);
    offscreen.context().shaderStack.reset();
    offscreen.context().materialStack.reset();

    std::vector<std::uint8_t> pixels(48 * 48 * 4);
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.glReadPixels(0, 0, 48, 48, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

std::vector<std::uint8_t> readBack() {
    std::vector<std::uint8_t> pixels(48 * 48 * 4);
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.glReadPixels(0, 0, 48, 48, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// Meshes without an appearance draw with the state that is current; with none current
// (the first frame) they still switch on the arrays their buffers feed, so the first
// frame, every later one and the compiled model all draw the same white grid.
TEST(ModelPixels, MeshesWithoutAppearanceDrawAlikeOnEveryFrameAndCompiled) {
    test::OffscreenGL offscreen(48, 48);
    if (!offscreen)
        GTEST_SKIP() << "no offscreen OpenGL: " << native::lastError();
    GridModel grid(VertexBuffer::USAGE_STATIC);
    for (std::uint32_t m = 0; m < grid.model->meshCount(); ++m)
        grid.model->mesh(m)->setAppearance(nullptr);
    gl.glMatrixMode(GL_PROJECTION);
    gl.glLoadIdentity();
    gl.glOrtho(0, 48, 0, 48, -1, 1);
    gl.glClearColor(0, 0, 0, 1);
    gl.glColor4f(1, 1, 1, 1);
    auto parameters =
        Pointer<ParameterBuffer>::adopt(ParameterBuffer::create(grid.model->getParameterFormat()));
    const float matrix[16] = {10, 0, 0, 4, 0, 10, 0, 4, 0, 0, 1, 0, 0, 0, 0, 1};
    std::memcpy(parameters->parameter("position"), matrix, sizeof matrix);
    const auto frame = [&] {
        gl.glClear(GL_COLOR_BUFFER_BIT);
        grid.model->draw(*parameters);
        return readBack();
    };
    const std::vector<std::uint8_t> first = frame();
    const std::uint8_t* inside = &first[std::size_t(8 * 48 + 8) * 4];
    EXPECT_EQ(inside[0], 255) << "the first frame draws the grid";
    EXPECT_TRUE(frame() == first) << "the second frame draws what the first did";
    offscreen.context().shaderStack.setClientArrays(0);
    ASSERT_TRUE(grid.model->compile());
    EXPECT_TRUE(frame() == first) << "compiled, from no arrays switched on";
    EXPECT_TRUE(frame() == first);
}

TEST(ModelPixels, BufferObjectsAndOrdinaryMemoryDrawTheSamePixels) {
    bool objects = false, ordinary = true;
    const std::vector<std::uint8_t> fromObjects = renderGrid(VertexBuffer::USAGE_STATIC, objects);
    if (fromObjects.empty())
        GTEST_SKIP() << "no offscreen OpenGL: " << native::lastError();
    const std::vector<std::uint8_t> fromMemory = renderGrid(VertexBuffer::USAGE_CLIENT, ordinary);
    EXPECT_TRUE(objects) << "the driver made no buffer objects: nothing is compared";
    EXPECT_FALSE(ordinary);
    EXPECT_TRUE(fromObjects == fromMemory);

    // The three meshes drew their parts of the grid, each in its colour, inside the
    // scaled and moved square from (4, 4) to (44, 44).
    // The channel (0 red, 1 green, 2 blue) that is bright where the others are dim; -1
    // for black. Rows count from the bottom, as OpenGL reads them.
    auto colourAt = [&](int x, int y) {
        const std::uint8_t* rgba = &fromMemory[std::size_t(y * 48 + x) * 4];
        for (int channel = 0; channel < 3; ++channel)
            if (rgba[channel] > 200 && rgba[(channel + 1) % 3] < 100 &&
                rgba[(channel + 2) % 3] < 100)
                return channel;
        return rgba[0] < 30 && rgba[1] < 30 && rgba[2] < 30 ? -1 : 99;
    };
    EXPECT_EQ(colourAt(2, 2), -1);
    EXPECT_EQ(colourAt(8, 8), 0) << "first row of squares: red";
    EXPECT_EQ(colourAt(18, 18), 0) << "the sixth square (second row)";
    EXPECT_EQ(colourAt(28, 18), 1) << "the seventh: green";
    EXPECT_EQ(colourAt(28, 28), 1) << "the eleventh: green";
    EXPECT_EQ(colourAt(38, 28), 2) << "the twelfth to the last: blue";
    EXPECT_EQ(colourAt(8, 38), 2);
    EXPECT_EQ(colourAt(46, 46), -1);
}

} // namespace
} // namespace orvane::graphics3d
