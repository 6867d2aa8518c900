// The viewer's sample jet (data/, written by tools/make-sample-model) read as the viewer
// reads it: the 3DS file through the 3DS reader, the textures its materials name through
// the case-insensitive file open and the image roster. Other tests may rely on the counts
// checked here. Each test works on its own copy of data/.

#include "orvane/graphics/ImageDecoding.h"
#include "orvane/graphics/TranslatorRoster.h"
#include "orvane/graphics3d/mesh/IndexMesh.h"
#include "orvane/graphics3d/model3ds/MeshLayout3DS.h"
#include "orvane/graphics3d/model3ds/Translator3DS.h"
#include "orvane/graphics3d/state/TextureManager.h"
#include "orvane/io/SystemFile.h"
#include "tests/support/OffscreenGL.h"
#include "tests/support/SampleData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

namespace orvane::graphics3d {
namespace {

Scene3DS readSample() {
    const test::SampleData data;
    auto file = object::Pointer<io::SystemFile>::adopt(
        io::SystemFile::open(data.model().c_str(), io::SystemFile::MODE_READ));
    Translator3DS translator;
    EXPECT_TRUE(translator.identify(file.get()));
    Scene3DS scene;
    translator.read(file->getInputStream(), -1, scene);
    return scene;
}

bool isUpperCase83(const std::string& name) {
    const std::size_t dot = name.find('.');
    if (dot == std::string::npos || dot == 0 || dot > 8 || name.size() - dot - 1 > 3)
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) { return std::islower(c); });
}

TEST(SampleModel, HoldsTheJetsMaterialsAndMeshes) {
    const Scene3DS scene = readSample();
    EXPECT_EQ(scene.editors, 1);
    std::vector<std::string> names;
    for (const Material3DS& material : scene.materials)
        names.push_back(material.name);
    EXPECT_EQ(names, (std::vector<std::string>{"SKIN", "CANOPY", "INSIGNIA", "NOZZLE", "FINFLASH",
                                               "RADOME", "DARK", "TANK", "MISSILE"}));
    ASSERT_EQ(scene.meshes.size(), 19u);
    std::uint32_t vertices = 0, faces = 0, groups = 0;
    for (const Mesh3DS& mesh : scene.meshes) {
        EXPECT_TRUE(mesh.isBuildable()) << mesh.objectName;
        EXPECT_TRUE(mesh.hasTexCoords) << mesh.objectName;
        vertices += mesh.vertexCount;
        faces += mesh.faceCount;
        std::uint32_t grouped = 0;
        for (const FaceMaterial3DS& group : mesh.faceMaterials) {
            EXPECT_GE(group.material, 0) << mesh.objectName << ": materials come first";
            grouped += std::uint32_t(group.faces.size());
            ++groups;
        }
        EXPECT_EQ(grouped, mesh.faceCount) << mesh.objectName << ": every face drawn once";
    }
    EXPECT_EQ(vertices, 4539u);
    EXPECT_EQ(faces, 7108u);
    EXPECT_EQ(groups, 24u);
}

// Every texture is named in 8.3 upper case, opens from data/ (one only through the
// case-insensitive fallback, as it lies on disk in lower case), and decodes through the
// image roster; together they use every format the engine reads.
TEST(SampleModel, TexturesResolveToFilesInDataInEveryImageFormat) {
    const test::SampleData data;
    const Scene3DS scene = readSample();
    graphics::TranslatorRoster roster;
    std::set<std::string> translators;
    int textured = 0, onlyByCase = 0;
    for (const Material3DS& material : scene.materials) {
        if (!material.textured)
            continue;
        ++textured;
        const std::string& name = material.textureName;
        EXPECT_TRUE(isUpperCase83(name)) << name;
        const std::string path = data.path(name);
        if (!std::filesystem::exists(path))
            ++onlyByCase;
        auto file = object::Pointer<io::SystemFile>::adopt(
            io::SystemFile::open(path.c_str(), io::SystemFile::MODE_READ));
        io::Translator<graphics::Image>* translator = roster.findTranslator(file.get());
        ASSERT_NE(translator, nullptr) << name;
        translators.insert(translator->getClassName().cString());
        const graphics::ImageHolder image(translator->translate(file->getInputStream(), -1));
        ASSERT_NE(image, nullptr) << name;
        EXPECT_GE(image->getWidth(), 64) << name;
        EXPECT_LE(image->getWidth(), 256) << name;
        EXPECT_GE(image->getHeight(), 64) << name;
        EXPECT_LE(image->getHeight(), 256) << name;
    }
    EXPECT_EQ(textured, 6);
    EXPECT_GE(onlyByCase, 1);
    std::set<std::string> formats;
    for (const std::string& path : translators)
        formats.insert(path.substr(path.rfind(':') + 1));
    EXPECT_EQ(formats, (std::set<std::string>{"TranslatorBMP", "TranslatorGIF", "TranslatorJPG",
                                              "TranslatorPCX", "TranslatorPNG", "TranslatorTGA"}));
}

// The viewer draws the model 400 units away from a camera whose frustum opens 45 degrees
// to each side (near 10, far 800), turned about its origin by the mouse, with back faces
// culled. Every point within 400 sin 45 of the origin stays inside that frustum however
// the jet is turned; seen from above, untouched, the jet fills about 60 % of the view's
// height. Its closed parts must be wound counter-clockwise seen from outside (a positive
// enclosed volume) so that culling leaves their outsides.
TEST(SampleModel, FillsTheViewersFrameInEveryTurnAndFacesOutward) {
    constexpr float distance = 400.0f;
    const float turnableRadius = distance * std::sqrt(0.5f);
    const Scene3DS scene = readSample();
    float minY = 1e9f, maxY = -1e9f, radius = 0;
    float lowestOnScreen = 1e9f, highestOnScreen = -1e9f; // y over depth, -1 to 1 in view
    for (const Mesh3DS& mesh : scene.meshes) {
        for (std::uint32_t v = 0; v < mesh.vertexCount; ++v) {
            const float x = mesh.positions[3 * v], y = mesh.positions[3 * v + 1],
                        z = mesh.positions[3 * v + 2];
            radius = std::max(radius, std::sqrt(x * x + y * y + z * z));
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
            lowestOnScreen = std::min(lowestOnScreen, y / (distance - z));
            highestOnScreen = std::max(highestOnScreen, y / (distance - z));
        }
        const bool decal = mesh.objectName.rfind("MARK", 0) == 0 || mesh.objectName == "FINFLASH";
        if (decal)
            continue;
        double volume = 0;
        for (std::uint32_t f = 0; f < mesh.faceCount; ++f) {
            const float* a = &mesh.positions[3 * mesh.faces[4 * f]];
            const float* b = &mesh.positions[3 * mesh.faces[4 * f + 1]];
            const float* c = &mesh.positions[3 * mesh.faces[4 * f + 2]];
            volume += (double(a[0]) * (double(b[1]) * c[2] - double(b[2]) * c[1]) -
                       double(a[1]) * (double(b[0]) * c[2] - double(b[2]) * c[0]) +
                       double(a[2]) * (double(b[0]) * c[1] - double(b[1]) * c[0])) /
                      6.0;
        }
        EXPECT_GT(volume, 0.0) << mesh.objectName;
    }
    EXPECT_LT(radius, turnableRadius - 15.0f) << "a turn would cut the jet";
    EXPECT_GT(radius, turnableRadius - 60.0f) << "the jet leaves much of the frame empty";
    EXPECT_GT(maxY - minY, 440.0f);
    EXPECT_LT(maxY - minY, 480.0f);
    EXPECT_NEAR((maxY + minY) / 2, 0.0f, 20.0f);
    const float heightInView = (highestOnScreen - lowestOnScreen) / 2;
    EXPECT_GT(heightInView, 0.55f);
    EXPECT_LT(heightInView, 0.70f);
}

object::Pointer<StaticModel> translateSample() {
    const test::SampleData data;
    const auto manager = object::make<TextureManager>();
    manager->getFactory().setDirectory(data.directory().c_str());
    Translator3DS translator;
    translator.setTextureManager(manager.get());
    auto file = object::Pointer<io::SystemFile>::adopt(
        io::SystemFile::open(data.model().c_str(), io::SystemFile::MODE_READ));
    return object::Pointer<StaticModel>::adopt(
        dynamic_cast<StaticModel*>(translator.translate(file->getInputStream(), -1)));
}

// The jet as the viewer gets it: through the translator, with its textures from data/ in
// an OpenGL context.
TEST(SampleModel, TranslatesWithItsTexturesInAnOffscreenContext) {
    test::OffscreenGL offscreen(8, 8);
    ORVANE_REQUIRE_OFFSCREEN(offscreen);
    const object::Pointer<StaticModel> model = translateSample();
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->meshCount(), 24u) << "one mesh per face group";

    std::set<const VertexBuffer*> vertexBuffers;
    std::set<const Appearance*> appearances;
    std::set<const Texture*> textures;
    std::uint32_t vertices = 0, indices = 0;
    for (std::uint32_t m = 0; m < model->meshCount(); ++m) {
        const auto& mesh = dynamic_cast<const IndexMesh&>(*model->mesh(m));
        if (vertexBuffers.insert(mesh.vertexBuffer(0)).second)
            vertices += mesh.vertexBuffer(0)->vertexCount();
        EXPECT_NE(mesh.vertexBuffer(0)->bufferObject(), 0u) << "buffer objects in a context";
        indices += mesh.getEnd() - mesh.getFirst();
        const Appearance* appearance = mesh.getAppearance();
        ASSERT_NE(appearance, nullptr);
        appearances.insert(appearance);
        if (appearance->texture(0)) {
            textures.insert(appearance->texture(0));
            EXPECT_NE(dynamic_cast<const TextureShader*>(appearance->shader.get()), nullptr);
        }
    }
    EXPECT_EQ(vertexBuffers.size(), 19u);
    EXPECT_EQ(vertices, 4539u);
    EXPECT_EQ(indices, 3u * 7108u);
    EXPECT_EQ(appearances.size(), 9u);
    EXPECT_EQ(textures.size(), 6u);
}

// The jet drawn from above (orthographic, depth-tested) into a fresh offscreen context,
// compiled first or not; empty without offscreen OpenGL.
std::vector<std::uint32_t> renderSample(bool compile) {
    constexpr int size = 64;
    test::OffscreenGL offscreen(size, size);
    if (!offscreen)
        return {};
    const object::Pointer<StaticModel> model = translateSample();
    if (!model)
        return {};
    if (compile) {
        EXPECT_TRUE(model->compile());
    }
    gl.glMatrixMode(GL_PROJECTION);
    gl.glOrtho(-250, 250, -250, 250, -250, 250);
    gl.glMatrixMode(GL_MODELVIEW);
    gl.glEnable(GL_DEPTH_TEST);
    gl.glDepthFunc(GL_LESS);
    gl.glClearColor(1, 0, 1, 1);
    gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    auto parameters = object::Pointer<ParameterBuffer>::adopt(
        ParameterBuffer::create(model->getParameterFormat()));
    // Seen from above: the jet's top (+z) toward the viewer, who looks down -z.
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::memcpy(parameters->parameter("position"), identity, sizeof identity);
    model->draw(*parameters);
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            pixels.push_back(offscreen.pixel(x, y) & 0xFFFFFF);
    offscreen.context().shaderStack.reset();
    offscreen.context().materialStack.reset();
    offscreen.context().modeStack.reset();
    return pixels;
}

TEST(SampleModel, DrawsTheSameCompiledAsMeshByMesh) {
    const std::vector<std::uint32_t> oneByOne = renderSample(false);
    if (oneByOne.empty())
        GTEST_SKIP() << "no offscreen OpenGL: " << native::lastError();
    const std::vector<std::uint32_t> compiled = renderSample(true);
    ASSERT_EQ(compiled.size(), oneByOne.size());
    const auto background = std::uint32_t(0xFF00FF);
    const auto covered = std::count_if(oneByOne.begin(), oneByOne.end(),
                                       [&](std::uint32_t pixel) { return pixel != background; });
    EXPECT_GT(covered, 64 * 64 / 10) << "the jet covers a good part of the frame";
    EXPECT_EQ(oneByOne.front(), background) << "and leaves the corners";
    EXPECT_EQ(oneByOne.back(), background);
    int differing = 0;
    for (std::size_t i = 0; i < compiled.size(); ++i)
        differing += compiled[i] != oneByOne[i];
    EXPECT_EQ(differing, 0);
}

} // namespace
} // namespace orvane::graphics3d
