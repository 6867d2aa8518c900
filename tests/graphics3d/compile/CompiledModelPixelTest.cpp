#include "orvane/graphics3d/mesh/IndexMesh.h"
#include "orvane/graphics3d/mesh/VertexMesh.h"
#include "orvane/graphics3d/model/StaticModel.h"
#include "orvane/graphics3d/state/Appearance.h"
#include "orvane/graphics3d/state/ColourShader.h"
#include "orvane/graphics3d/state/Material.h"
#include "orvane/graphics3d/state/Texture.h"
#include "orvane/graphics3d/state/TextureShader.h"
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

constexpr int SIZE = 64;
constexpr int GRID = 6; // squares a side

class FlatColour : public Material {
public:
    FlatColour(float r, float g, float b)
        : colour{r, g, b, 1} {}
    void apply() override { gl.glColor4fv(colour); }
    float colour[4];
};

// A one-texel texture of the given colour.
Pointer<Texture> plainTexture(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    GLuint name = 0;
    gl.glGenTextures(1, &name);
    gl.glBindTexture(GL_TEXTURE_2D, name);
    const std::uint8_t texel[4] = {r, g, b, 255};
    gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    return object::make<Texture>(name, GL_TEXTURE_2D);
}

// The corners of every square of a 6 x 6 grid, 7 x 7 vertices of position, normal and
// texture coordinates (32 bytes).
Pointer<VertexBuffer> gridVertices(int usage) {
    VertexFormat format;
    format.addComponent(0x000C0324, VertexFormat::ARRAY_POSITION);
    format.addComponent(0x000C0324, VertexFormat::ARRAY_NORMAL);
    format.addComponent(0x00080224, VertexFormat::ARRAY_TEXCOORD0);
    std::vector<float> vertices;
    for (int y = 0; y <= GRID; ++y)
        for (int x = 0; x <= GRID; ++x)
            vertices.insert(vertices.end(), {float(x), float(y), 0, 0, 0, 1, 0.5f, 0.5f});
    return orvane::test::makeVertexBuffer(format, vertices.data(), (GRID + 1) * (GRID + 1), usage);
}

std::uint32_t corner(int square, int dx, int dy) {
    return std::uint32_t((square / GRID + dy) * (GRID + 1) + square % GRID + dx);
}

Pointer<IndexBuffer> indexBuffer(std::uint32_t size, const std::vector<std::uint32_t>& values,
                                 int usage) {
    auto buffer =
        Pointer<IndexBuffer>::adopt(IndexBuffer::create(size, std::uint32_t(values.size()), usage));
    auto* bytes = static_cast<std::uint8_t*>(buffer->lock(GL_WRITE_ONLY_ARB));
    for (std::size_t i = 0; i < values.size(); ++i)
        std::memcpy(bytes + i * size, &values[i], size);
    buffer->unlock();
    return buffer;
}

// Squares 0..35 drawn by a model of four objects: triangle lists over 16-bit indices, one
// strip per square over 8-bit indices, one fan per square over 32-bit indices, and vertex
// meshes of triangle lists; two shaders (colour and texture), four colours, two
// textures, and meshes without appearance that draw with what the previous one left.
struct MixedModel {
    explicit MixedModel(int usage) {
        auto colour = object::make<ColourShader>();
        auto textured = object::make<TextureShader>();
        const float colours[4][3] = {
            {1, 0.2f, 0.2f}, {0.2f, 1, 0.2f}, {0.3f, 0.3f, 1}, {1, 1, 0.2f}};
        auto red = plainTexture(255, 128, 128);
        auto cyan = plainTexture(64, 255, 255);
        for (int k = 0; k < 6; ++k) {
            auto look = object::make<Appearance>();
            look->setShader(k % 3 == 2 ? static_cast<Shader*>(colour.get()) : textured.get());
            look->setMaterial(
                object::make<FlatColour>(colours[k % 4][0], colours[k % 4][1], colours[k % 4][2])
                    .get());
            look->setTexture(k % 2 ? red.get() : cyan.get(), 0);
            looks.push_back(look);
        }
        // All strips share one appearance and all fans another, so that strips of one
        // state lie next to each other in their index buffer: joined, they would draw
        // triangles across the fans between them.
        auto lookOf = [&](int square) -> Appearance* {
            if (square % 5 == 4)
                return nullptr;
            if (square >= 12 && square < 24)
                return looks[square % 2 == 0 ? 1 : 2].get();
            return looks[std::size_t(square * 7 % 6)].get();
        };
        auto add = [&](Pointer<VertexMesh> mesh, int square, GLenum primitive) {
            mesh->setMode(primitive);
            mesh->setAppearance(lookOf(square));
            model->addMesh(mesh.get());
        };

        // Squares 0..11: triangle lists, two squares a mesh except the last two.
        auto listVertices = gridVertices(usage);
        std::vector<std::uint32_t> list;
        for (int square = 0; square < 12; ++square)
            list.insert(list.end(),
                        {corner(square, 0, 0), corner(square, 1, 0), corner(square, 1, 1),
                         corner(square, 0, 0), corner(square, 1, 1), corner(square, 0, 1)});
        auto listIndices = indexBuffer(2, list, usage);
        for (int square = 0; square < 12; square += square < 8 ? 2 : 1) {
            auto mesh = object::make<IndexMesh>();
            mesh->setVertexBuffer(listVertices.get(), 0);
            mesh->setIndexBuffer(listIndices.get());
            mesh->setFirst(std::uint32_t(square * 6));
            mesh->setEnd(std::uint32_t((square + (square < 8 ? 2 : 1)) * 6));
            add(mesh, square, GL_TRIANGLES);
        }
        // Squares 12..23: strips (0,0) (1,0) (0,1) (1,1) and fans (0,0) (1,0) (1,1) (0,1).
        auto stripVertices = gridVertices(usage);
        auto fanVertices = gridVertices(usage);
        std::vector<std::uint32_t> strips, fans;
        for (int square = 12; square < 24; ++square) {
            if (square % 2 == 0)
                strips.insert(strips.end(), {corner(square, 0, 0), corner(square, 1, 0),
                                             corner(square, 0, 1), corner(square, 1, 1)});
            else
                fans.insert(fans.end(), {corner(square, 0, 0), corner(square, 1, 0),
                                         corner(square, 1, 1), corner(square, 0, 1)});
        }
        auto stripIndices = indexBuffer(1, strips, usage);
        auto fanIndices = indexBuffer(4, fans, usage);
        for (int square = 12; square < 24; ++square) {
            const bool strip = square % 2 == 0;
            const auto first = std::uint32_t((square - 12) / 2 * 4); // in its own list
            auto mesh = object::make<IndexMesh>();
            mesh->setVertexBuffer(strip ? stripVertices.get() : fanVertices.get(), 0);
            mesh->setIndexBuffer(strip ? stripIndices.get() : fanIndices.get());
            mesh->setFirst(first);
            mesh->setEnd(first + 4);
            add(mesh, square, strip ? GL_TRIANGLE_STRIP : GL_TRIANGLE_FAN);
        }
        // Squares 24..35: vertex meshes over their own six vertices a square.
        VertexFormat format = listVertices->format();
        std::vector<float> soup;
        for (int square = 24; square < 36; ++square)
            for (auto [dx, dy] : {std::pair{0, 0}, {1, 0}, {1, 1}, {0, 0}, {1, 1}, {0, 1}})
                soup.insert(soup.end(), {float(square % GRID + dx), float(square / GRID + dy), 0, 0,
                                         0, 1, 0.5f, 0.5f});
        auto soupVertices = orvane::test::makeVertexBuffer(format, soup.data(), 72, usage);
        for (int square = 24; square < 36; ++square) {
            auto mesh = object::make<VertexMesh>();
            mesh->setVertexBuffer(soupVertices.get(), 0);
            mesh->setFirst(std::uint32_t((square - 24) * 6));
            mesh->setEnd(std::uint32_t((square - 23) * 6));
            add(mesh, square, GL_TRIANGLES);
        }
        model->initialise();
    }

    std::vector<Pointer<Appearance>> looks;
    Pointer<StaticModel> model = object::make<StaticModel>();
};

// The model drawn once into a fresh offscreen context, compiled first or not; empty
// without offscreen OpenGL.
std::vector<std::uint8_t> render(int usage, bool compile) {
    orvane::test::OffscreenGL offscreen(SIZE, SIZE);
    if (!offscreen)
        return {};
    MixedModel mixed(usage);
    if (compile) {
        EXPECT_TRUE(mixed.model->compile());
        EXPECT_EQ(mixed.model->meshCount(), 0u);
    }
    mixed.looks.clear(); // a compiled model keeps what it draws with by itself
    gl.glMatrixMode(GL_PROJECTION);
    gl.glLoadIdentity();
    gl.glOrtho(0, SIZE, 0, SIZE, -1, 1);
    gl.glClearColor(0, 0, 0, 1);
    gl.glClear(GL_COLOR_BUFFER_BIT);
    auto parameters =
        Pointer<ParameterBuffer>::adopt(ParameterBuffer::create(mixed.model->getParameterFormat()));
    const float matrix[16] = {10, 0, 0, 2, 0, 10, 0, 2, 0, 0, 1, 0, 0, 0, 0, 1};
    std::memcpy(parameters->parameter("position"), matrix, sizeof matrix);
    mixed.model->draw(*parameters);
    offscreen.context().shaderStack.reset();
    offscreen.context().materialStack.reset();
    offscreen.context().modeStack.reset();

    std::vector<std::uint8_t> pixels(SIZE * SIZE * 4);
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.glReadPixels(0, 0, SIZE, SIZE, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

TEST(CompiledModelPixels, ACompiledModelDrawsTheSamePixelsAsItsMeshesOneByOne) {
    for (int usage : {VertexBuffer::USAGE_STATIC, VertexBuffer::USAGE_CLIENT}) {
        SCOPED_TRACE(usage);
        const auto oneByOne = render(usage, false);
        if (oneByOne.empty())
            GTEST_SKIP() << "no offscreen OpenGL: " << native::lastError();
        const auto compiled = render(usage, true);
        ASSERT_EQ(compiled.size(), oneByOne.size());
        int differing = 0;
        for (std::size_t i = 0; i < compiled.size(); ++i)
            differing += compiled[i] != oneByOne[i];
        EXPECT_EQ(differing, 0);

        // Every square is drawn: the centre of each is lit, the border stays black.
        std::vector<int> colours;
        for (int square = 0; square < GRID * GRID; ++square) {
            const int x = 2 + 10 * (square % GRID) + 5, y = 2 + 10 * (square / GRID) + 5;
            const std::uint8_t* rgba = &compiled[std::size_t(y * SIZE + x) * 4];
            EXPECT_GT(rgba[0] + rgba[1] + rgba[2], 100) << "square " << square;
            colours.push_back(rgba[0] << 16 | rgba[1] << 8 | rgba[2]);
        }
        std::sort(colours.begin(), colours.end());
        EXPECT_GE(std::unique(colours.begin(), colours.end()) - colours.begin(), 5)
            << "colours, shaders and textures all show";
        EXPECT_EQ(compiled[0] + compiled[1] + compiled[2], 0);
    }
}

} // namespace
} // namespace orvane::graphics3d
