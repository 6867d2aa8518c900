// What Translator3DS builds: the model, its meshes, buffers and appearances, looked at
// through the engine objects a caller gets back.

#include "orvane/graphics3d/mesh/IndexMesh.h"
#include "orvane/graphics3d/model3ds/TranslatorRoster.h"
#include "orvane/graphics3d/state/ColourMaterial.h"
#include "orvane/io/MemoryFile.h"
#include "orvane/io/TranslatorException.h"
#include "tests/graphics3d/RecordedContext.h"
#include "tests/support/ModelFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace orvane::graphics3d {
namespace {

namespace files = orvane::test;
using files::Bytes;
using files::Chunk;
using object::Pointer;

Pointer<StaticModel> translate(const Bytes& bytes) {
    io::MemoryFile file(bytes.data(), bytes.size());
    Translator3DS translator;
    Model* model = translator.translate(file.getInputStream(), -1);
    return Pointer<StaticModel>::adopt(dynamic_cast<StaticModel*>(model));
}

IndexMesh& meshOf(const StaticModel& model, std::uint32_t index) {
    return dynamic_cast<IndexMesh&>(*model.mesh(index));
}

std::vector<std::uint16_t> indicesOf(IndexBuffer& buffer) {
    std::vector<std::uint16_t> indices(buffer.indexCount());
    std::memcpy(indices.data(), buffer.lock(GL_READ_ONLY_ARB), indices.size() * 2);
    buffer.unlock();
    return indices;
}

// The floats of vertex v, as the buffer holds them.
std::vector<float> vertexOf(VertexBuffer& buffer, std::uint32_t v) {
    std::vector<float> values(buffer.stride() / 4);
    const auto* memory = static_cast<const std::uint8_t*>(buffer.lock(GL_READ_ONLY_ARB));
    std::memcpy(values.data(), memory + std::size_t(v) * buffer.stride(), buffer.stride());
    buffer.unlock();
    return values;
}

// A mesh chunk: vertices, optional coordinates, faces with their groups.
Chunk meshChunk(const std::vector<float>& xyz, const std::vector<files::Face>& faces,
                const std::vector<Chunk>& groups = {}, const std::vector<float>& uv = {}) {
    Chunk mesh(0x4100);
    mesh.add(files::vertexChunk(xyz));
    if (!uv.empty())
        mesh.add(files::texCoordChunk(uv));
    Chunk faceChunk = files::faceChunk(faces);
    for (const Chunk& group : groups)
        faceChunk.add(group);
    return mesh.add(faceChunk);
}

// Four vertices of a unit square in the z = 0 plane.
const std::vector<float> square = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};

// ---- Vertex buffers

TEST(Translator3DSModel, VertexBuffersHoldPositionsNormalsAndFlippedCoordinates) {
    std::vector<float> ten;
    for (int v = 0; v < 10; ++v)
        ten.insert(ten.end(), {float(v), float(v % 2), 0});
    std::vector<float> eight = {0.25f, 0.1f};
    for (int v = 1; v < 8; ++v)
        eight.insert(eight.end(), {0.5f, 0.5f});
    const Bytes file = files::modelFile(
        {files::objectChunk("Plain", meshChunk({0, 0, 0, 2, 0, 0, 0, 2, 0}, {{0, 1, 2}})),
         files::objectChunk("Mapped", meshChunk(ten, {{0, 1, 2}, {5, 6, 7}}, {}, eight))});
    const Pointer<StaticModel> model = translate(file);
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->meshCount(), 2u);

    VertexBuffer& plain = *meshOf(*model, 0).vertexBuffer(0);
    EXPECT_EQ(plain.stride(), 24u);
    EXPECT_EQ(plain.vertexCount(), 3u);
    EXPECT_EQ(plain.usage(), GLenum(GL_STATIC_DRAW_ARB));
    EXPECT_EQ(plain.arrayMask(), VertexFormat::ARRAY_POSITION | VertexFormat::ARRAY_NORMAL);
    EXPECT_EQ(plain.format().component(1).offset, 12u);
    EXPECT_EQ(vertexOf(plain, 1), (std::vector<float>{2, 0, 0, 0, 0, 1}));

    VertexBuffer& mapped = *meshOf(*model, 1).vertexBuffer(0);
    EXPECT_EQ(mapped.stride(), 32u);
    EXPECT_EQ(mapped.vertexCount(), 8u) << "ten positions, eight coordinate pairs";
    EXPECT_EQ(mapped.arrayMask(), 0xFF005u) << "every texture unit reads the coordinates";
    EXPECT_EQ(mapped.format().component(2).type, 0x00080224u);
    EXPECT_EQ(mapped.format().component(2).offset, 24u);
    const std::vector<float> first = vertexOf(mapped, 0);
    EXPECT_EQ(first[6], 0.25f);
    EXPECT_EQ(first[7], 1.0f - 0.1f) << "v is flipped";
    // Vertex 3 belongs to no face: the defined normal, not NaN.
    const std::vector<float> unused = vertexOf(mapped, 3);
    EXPECT_EQ(std::vector<float>(unused.begin() + 3, unused.begin() + 6),
              (std::vector<float>{0, 0, 1}));
}

// ---- Meshes and index buffers

TEST(Translator3DSModel, OneIndexMeshPerGroupInFileOrderOverTheTriangleMeshsBuffers) {
    std::vector<float> grid;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            grid.insert(grid.end(), {float(x), float(y), 0});
    const std::vector<files::Face> faces = {{0, 1, 4}, {0, 4, 3}, {1, 2, 5}, {1, 5, 4},
                                            {3, 4, 7}, {3, 7, 6}, {4, 5, 8}, {4, 8, 7}};
    const Bytes file = files::modelFile(
        {files::materialChunk({.name = "A"}), files::materialChunk({.name = "B"}),
         files::objectChunk("Grid", meshChunk(grid, faces,
                                              {files::groupChunk("A", {0, 1, 2}),
                                               files::groupChunk("B", {3, 4, 5, 6, 0})})),
         files::objectChunk("Other", meshChunk(square, {{0, 1, 2}}, {files::groupChunk("A", {0})})),
         // A face naming vertex 9 of 3, and a group entry beyond the two faces.
         files::objectChunk("Broken", meshChunk({0, 0, 0, 1, 0, 0, 0, 1, 0}, {{0, 1, 2}, {0, 1, 9}},
                                                {files::groupChunk("B", {1, 0, 77})}))});
    const Pointer<StaticModel> model = translate(file);
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->meshCount(), 5u);

    IndexMesh& a = meshOf(*model, 0);
    IndexMesh& b = meshOf(*model, 1);
    EXPECT_EQ(a.getMode(), GLenum(GL_TRIANGLES));
    EXPECT_EQ(a.getFirst(), 0u);
    EXPECT_EQ(a.getEnd(), 9u);
    EXPECT_EQ(b.getFirst(), 9u);
    EXPECT_EQ(b.getEnd(), 24u);
    EXPECT_STREQ(a.getAppearance()->name.cString(), "A");
    EXPECT_STREQ(b.getAppearance()->name.cString(), "B");
    EXPECT_EQ(a.vertexBuffer(0), b.vertexBuffer(0));
    ASSERT_EQ(a.getIndexBuffer(), b.getIndexBuffer());
    IndexBuffer& indices = *a.getIndexBuffer();
    EXPECT_EQ(indices.elementSize(), 2u);
    EXPECT_EQ(indices.glType(), GLenum(GL_UNSIGNED_SHORT));
    std::vector<std::uint16_t> expected;
    for (int face : {0, 1, 2, 3, 4, 5, 6, 0, 7})
        expected.insert(expected.end(), faces[std::size_t(face)].begin(),
                        faces[std::size_t(face)].end());
    EXPECT_EQ(indicesOf(indices), expected)
        << "face 0 is drawn by both groups, face 7, in none, after them";
    IndexMesh& leftOut = meshOf(*model, 2);
    EXPECT_EQ(leftOut.getFirst(), 24u);
    EXPECT_EQ(leftOut.getEnd(), 27u);
    ASSERT_NE(leftOut.getAppearance(), nullptr);
    EXPECT_STREQ(leftOut.getAppearance()->name.cString(), "") << "the default appearance";

    IndexMesh& other = meshOf(*model, 3);
    EXPECT_NE(other.vertexBuffer(0), a.vertexBuffer(0)) << "triangle meshes share nothing";
    EXPECT_NE(other.getIndexBuffer(), a.getIndexBuffer());
    EXPECT_EQ(other.getAppearance(), a.getAppearance());

    IndexMesh& broken = meshOf(*model, 4);
    EXPECT_EQ(indicesOf(*broken.getIndexBuffer()),
              (std::vector<std::uint16_t>{0, 0, 0, 0, 1, 2, 0, 0, 0}))
        << "what cannot be drawn is drawn as nothing";
    const Pointer<geometry::TriangleMesh3<float>> triangles =
        Pointer<geometry::TriangleMesh3<float>>::adopt(broken.createTriangleMesh());
    ASSERT_NE(triangles, nullptr);
}

TEST(Translator3DSModel, MeshesWithoutGroupsDrawEveryFaceAndMeshesWithoutDataBuildNothing) {
    const Bytes file = files::modelFile(
        {files::materialChunk({.name = "Unused"}),
         files::objectChunk("Exported", meshChunk(square, {{0, 1, 2}, {0, 2, 3}})),
         files::objectChunk(
             "NoVertices",
             Chunk(0x4100)
                 .add(files::texCoordChunk({0, 0, 1, 1, 0, 1}))
                 .add(files::faceChunk({{0, 1, 2}}).add(files::groupChunk("U", {0})))),
         files::objectChunk("NoFaces", Chunk(0x4100).add(files::vertexChunk(square))),
         files::objectChunk("NoCount", meshChunk({}, {{0, 1, 2}})),
         files::objectChunk("EmptyGroup",
                            meshChunk(square, {{0, 1, 2}}, {files::groupChunk("U", {})}))});
    const Pointer<StaticModel> model = translate(file);
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->meshCount(), 2u);
    Appearance* grey = meshOf(*model, 0).getAppearance();
    ASSERT_NE(grey, nullptr) << "faces without a material draw with the default appearance";
    const auto& colours = dynamic_cast<const ColourMaterial&>(*grey->material);
    EXPECT_EQ(std::vector<float>(colours.diffuse, colours.diffuse + 4),
              (std::vector<float>{0.75f, 0.75f, 0.75f, 1}));
    EXPECT_EQ(colours.ambient[0], 0.6f);
    EXPECT_NE(dynamic_cast<ColourShader*>(grey->shader.get()), nullptr);
    EXPECT_EQ(grey->texture(0), nullptr);
    for (std::uint32_t m = 0; m < 2; ++m) {
        IndexMesh& mesh = meshOf(*model, m);
        EXPECT_EQ(mesh.getAppearance(), grey) << "one default appearance per model";
        EXPECT_EQ(mesh.getFirst(), 0u);
        EXPECT_EQ(mesh.getEnd(), mesh.getIndexBuffer()->indexCount());
    }
    EXPECT_EQ(indicesOf(*meshOf(*model, 0).getIndexBuffer()),
              (std::vector<std::uint16_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(meshOf(*model, 1).getEnd(), 3u) << "a group without faces is no group";
}

// A file may hold two 3D-editor chunks: one model gets both, with one bounding box. One
// without objects still answers a model, without meshes.
TEST(Translator3DSModel, EveryEditorChunkAddsToOneInitialisedModel) {
    const auto editor = [](float x) {
        Chunk chunk(0x3D3D);
        return chunk.add(
            files::objectChunk("O", meshChunk({x, 0, 0, x + 1, 0, 0, x, 1, 2}, {{0, 1, 2}})));
    };
    const Pointer<StaticModel> model =
        translate(Chunk(0x4D4D).add(editor(0)).add(Chunk(0xB000)).add(editor(5)).bytes());
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->meshCount(), 2u);
    EXPECT_TRUE(model->getParameterFormat().contains("position"));
    const BoundingVolume& bounds = model->getBounds();
    ASSERT_FALSE(bounds.isEmpty());
    EXPECT_EQ(bounds.minimum[0], 0.0f);
    EXPECT_EQ(bounds.maximum[0], 6.0f);
    EXPECT_EQ(bounds.maximum[2], 2.0f);

    const Pointer<StaticModel> empty = translate(
        Chunk(0x4D4D).add(Chunk(0x3D3D).add(files::materialChunk({.name = "M"}))).bytes());
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->meshCount(), 0u);
    EXPECT_TRUE(empty->getBounds().isEmpty());
    EXPECT_TRUE(empty->getParameterFormat().contains("position"));
}

// ---- Appearances

TEST(Translator3DSModel, GroupsGetTheAppearanceOfTheMaterialTheirNameDenotedWhenRead) {
    Chunk paint(0xAFFF);
    paint.add(files::textChunk(0xA000, "Paint"))
        .add(files::colourChunk(0xA010, 0.1f, 0.2f, 0.3f))
        .add(files::colour24Chunk(0xA020, 255, 51, 0))
        .add(files::colourChunk(0xA030, 0.5f, 0.5f, 0.5f))
        .add(files::colourChunk(0xA080, 0.0f, 0.25f, 1.0f))
        .add(files::percentChunk(0xA040, 45));
    Chunk unnamed(0xAFFF);
    unnamed.add(files::colourChunk(0xA020, 0, 1, 0));
    const auto user = [](const std::string& material) {
        return files::objectChunk(
            material + "-user", meshChunk(square, {{0, 1, 2}}, {files::groupChunk(material, {0})}));
    };
    const Pointer<StaticModel> model = translate(files::modelFile(
        {paint, user("Paint"), user("Late"), user("paint"),
         files::materialChunk({.name = "Paint", .diffuse = {0, 0, 1}}), user("Paint"),
         files::materialChunk({.name = "Late"}), unnamed, user("")}));
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->meshCount(), 5u);

    Appearance* first = meshOf(*model, 0).getAppearance();
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first->name.cString(), "Paint");
    const auto& colours = dynamic_cast<const ColourMaterial&>(*first->material);
    EXPECT_EQ(std::vector<float>(colours.ambient, colours.ambient + 4),
              (std::vector<float>{0.1f, 0.2f, 0.3f, 0}));
    EXPECT_EQ(colours.diffuse[1], 51.0f * (1.0f / 255.0f));
    EXPECT_EQ(colours.specular[2], 0.5f);
    EXPECT_EQ(colours.emission[1], 0.25f);
    EXPECT_EQ(colours.diffuse[3], 0.0f) << "3DS colours carry alpha 0";
    EXPECT_EQ(colours.shininess, 45.0f * 0.01f);
    EXPECT_NE(dynamic_cast<ColourShader*>(first->shader.get()), nullptr);
    EXPECT_EQ(first->texture(0), nullptr);

    Appearance* grey = meshOf(*model, 1).getAppearance();
    ASSERT_NE(grey, nullptr) << "Late comes after its user: the default appearance";
    EXPECT_EQ(meshOf(*model, 2).getAppearance(), grey) << "names match with case";
    EXPECT_EQ(grey->shader, first->shader) << "the model's colour shader";
    Appearance* second = meshOf(*model, 3).getAppearance();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first) << "the second Paint replaced the first for later groups";
    EXPECT_EQ(dynamic_cast<const ColourMaterial&>(*second->material).diffuse[2], 1.0f);
    EXPECT_EQ(second->shader, first->shader) << "one colour shader per model";
    Appearance* nameless = meshOf(*model, 4).getAppearance();
    ASSERT_NE(nameless, nullptr);
    EXPECT_STREQ(nameless->name.cString(), "");
    EXPECT_EQ(dynamic_cast<const ColourMaterial&>(*nameless->material).diffuse[1], 1.0f);
}

// ---- Recognition through the model roster

TEST(ModelTranslatorRoster, FindsThe3DSTranslatorByProbingAndPutsTheFileBack) {
    TranslatorRoster roster;
    Bytes bytes = {'x', 'y'};
    files::append(bytes,
                  files::modelFile({files::objectChunk("O", meshChunk(square, {{0, 1, 2}}))}));
    io::MemoryFile file(bytes.data(), bytes.size());
    EXPECT_EQ(roster.findTranslator(&file), nullptr) << "two bytes of something else first";
    EXPECT_EQ(file.position(), 0);
    file.seek(2, io::File::FROM_START);
    io::Translator<Model>* translator = roster.findTranslator(&file);
    ASSERT_NE(translator, nullptr);
    EXPECT_EQ(file.position(), 2);
    EXPECT_NE(dynamic_cast<Translator3DS*>(translator), nullptr);
    const auto model = Pointer<Model>::adopt(translator->translate(file.getInputStream(), -1));
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(dynamic_cast<StaticModel&>(*model).meshCount(), 1u);
}

// ---- Buffers that cannot be had

class Translator3DSBuffers : public test::RecordedContext {
protected:
    Pointer<Model> translateWithRecorder() {
        const Bytes file = files::modelFile({files::objectChunk(
            "O", meshChunk(square, {{0, 1, 2}, {0, 2, 3}}, {files::groupChunk("M", {1, 0})}))});
        io::MemoryFile memory(file.data(), file.size());
        Translator3DS translator;
        return Pointer<Model>::adopt(translator.translate(memory.getInputStream(), -1));
    }
};

TEST_F(Translator3DSBuffers, AreBufferObjectsWithARenderContext) {
    const Pointer<Model> model = translateWithRecorder();
    ASSERT_NE(model, nullptr);
    IndexMesh& mesh = meshOf(dynamic_cast<StaticModel&>(*model), 0);
    ASSERT_NE(mesh.getIndexBuffer()->bufferObject(), 0u);
    ASSERT_NE(mesh.vertexBuffer(0)->bufferObject(), 0u);
    const std::vector<std::uint8_t> stored =
        recorder.bufferContents(mesh.getIndexBuffer()->bufferObject());
    std::vector<std::uint16_t> indices(stored.size() / 2);
    std::memcpy(indices.data(), stored.data(), stored.size());
    EXPECT_EQ(indices, (std::vector<std::uint16_t>{0, 2, 3, 0, 1, 2}));
    EXPECT_EQ(recorder.bufferContents(mesh.vertexBuffer(0)->bufferObject()).size(), 4u * 24);
}

TEST_F(Translator3DSBuffers, ThatCannotBeMadeOrLockedFailTheTranslationAndLeaveNothing) {
    // Each buffer clears the error flag, names its object and asks for the flag again.
    recorder.queueError(GL_OUT_OF_MEMORY);
    recorder.queueError(GL_OUT_OF_MEMORY);
    EXPECT_THROW(translateWithRecorder(), io::TranslatorMemoryException) << "no vertex buffer";
    EXPECT_EQ(recorder.liveBuffers(), 0u);

    for (GLenum error : {GL_NO_ERROR, GL_NO_ERROR, GL_OUT_OF_MEMORY, GL_OUT_OF_MEMORY})
        recorder.queueError(error);
    EXPECT_THROW(translateWithRecorder(), io::TranslatorMemoryException) << "no index buffer";
    EXPECT_EQ(recorder.liveBuffers(), 0u);

    recorder.refuseMapping(true);
    EXPECT_THROW(translateWithRecorder(), io::TranslatorMemoryException) << "no memory to write";
    EXPECT_EQ(recorder.liveBuffers(), 0u);
    recorder.refuseMapping(false);
    EXPECT_NE(translateWithRecorder(), nullptr);
}

} // namespace
} // namespace orvane::graphics3d
