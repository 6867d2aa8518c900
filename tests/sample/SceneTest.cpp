#include "orvane/sample/Scene.h"
#include "orvane/container/Array.h"
#include "orvane/graphics/Image.h"
#include "orvane/graphics/PixelFormat.h"
#include "orvane/graphics/TranslatorPNG.h"
#include "orvane/graphics3d/gl/GLRecorder.h"
#include "orvane/graphics3d/mesh/Mesh.h"
#include "orvane/graphics3d/model/StaticModel.h"
#include "orvane/graphics3d/state/Appearance.h"
#include "orvane/graphics3d/state/TextureShader.h"
#include "orvane/io/SystemFile.h"
#include "orvane/sample/Gui.h"
#include "orvane/sample/Options.h"
#include "orvane/sample/PngFile.h"
#include "tests/graphics3d/RecordedContext.h"
#include "tests/support/ModelFiles.h"
#include "tests/support/OffscreenGL.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orvane::sample {
namespace {

using graphics3d::test::Calls;
using graphics3d::test::RecordedContext;

using SceneFrame = RecordedContext;

// The frame's steps in their order, for a model without meshes: the model's own part is
// only the placement it loads.
TEST_F(SceneFrame, SelectsTheModeClearsLightsCullsAndThenPlacesTheModel) {
    auto scene = object::make<Scene>();
    const Calls camera = recorder.takeCalls();
    EXPECT_NE(std::find(camera.begin(), camera.end(), "glMatrixMode(GL_PROJECTION)"), camera.end())
        << "the camera is loaded at once";
    auto model = object::make<graphics3d::StaticModel>();
    model->initialise();
    scene->model = model;
    scene->parameters = graphics3d::ParameterBuffer::create(model->getParameterFormat());
    float placement[16] = {1, 0, 0, 2, 0, 1, 0, 3, 0, 0, 1, -400, 0, 0, 0, 1};
    scene->render(*context, placement);
    const Calls calls = recorder.takeCalls();
    const Calls expected = {
        "glDepthRange(0, 1)",
        "glEnable(GL_DEPTH_TEST)",
        "glDepthFunc(GL_LESS)",
        "glDepthMask(GL_TRUE)",
    };
    ASSERT_GE(calls.size(), 4u);
    // The mode is sent whole first; its block ends before the clear.
    auto clear =
        std::find(calls.begin(), calls.end(),
                  "glClear(GL_COLOR_BUFFER_BIT|GL_DEPTH_BUFFER_BIT|GL_STENCIL_BUFFER_BIT)");
    ASSERT_NE(clear, calls.end());
    for (const std::string& call : expected)
        EXPECT_NE(std::find(calls.begin(), clear, call), clear) << call;
    const Calls afterClear(clear + 1, calls.end());
    ASSERT_GE(afterClear.size(), 10u);
    EXPECT_EQ(afterClear[0], "glMatrixMode(GL_MODELVIEW)");
    EXPECT_EQ(afterClear[1], "glLoadIdentity()");
    EXPECT_EQ(afterClear[2], "glEnable(GL_LIGHT0)");
    const auto lighting = std::find(afterClear.begin(), afterClear.end(), "glEnable(GL_LIGHTING)");
    ASSERT_NE(lighting, afterClear.end());
    EXPECT_NE(std::find(afterClear.begin(), lighting,
                        "glLightfv(GL_LIGHT0, GL_POSITION, {900,790,400,1})"),
              lighting);
    EXPECT_NE(std::find(afterClear.begin(), lighting,
                        "glLightfv(GL_LIGHT0, GL_SPECULAR, {0.3,0.3,0.3,0})"),
              lighting);
    const Calls tail(lighting, afterClear.end());
    EXPECT_EQ(tail, (Calls{"glEnable(GL_LIGHTING)", "glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1)",
                           "glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1)", "glEnable(GL_CULL_FACE)",
                           "glCullFace(GL_BACK)",
                           "glLoadTransposeMatrixfARB({1,0,0,2,0,1,0,3,0,0,1,-400,0,0,0,1})"}));

    // The next frame finds the mode, the light and the light model in place.
    scene->render(*context, placement);
    const Calls next = recorder.takeCalls();
    EXPECT_EQ(next.front(),
              "glClear(GL_COLOR_BUFFER_BIT|GL_DEPTH_BUFFER_BIT|GL_STENCIL_BUFFER_BIT)");
    const auto nextLighting = std::find(next.begin(), next.end(), "glEnable(GL_LIGHTING)");
    ASSERT_NE(nextLighting, next.end());
    EXPECT_EQ(Calls(nextLighting, next.end()),
              (Calls{"glEnable(GL_LIGHTING)", "glEnable(GL_CULL_FACE)",
                     "glLoadTransposeMatrixfARB({1,0,0,2,0,1,0,3,0,0,1,-400,0,0,0,1})"}));
}

TEST_F(SceneFrame, WithoutAModelAFrameIsOnlyCleared) {
    auto scene = object::make<Scene>();
    EXPECT_FALSE(scene->load("no-such-directory\\model.3ds", "no-such-directory"));
    EXPECT_EQ(scene->failure(), "no-such-directory/model.3ds: IOException: No such directory");
    recorder.clear();
    const float placement[16] = {};
    scene->render(*context, placement);
    const Calls calls = recorder.takeCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(),
              "glClear(GL_COLOR_BUFFER_BIT|GL_DEPTH_BUFFER_BIT|GL_STENCIL_BUFFER_BIT)");
}

// The sample jet, loaded offscreen: compiled, with the triangle count the statistics show,
// and drawn lit and textured at the centre of the frame.
TEST(SampleScene, TheJetLoadsCompiledAndDrawsAtTheCentre) {
    test::OffscreenGL offscreen(300, 300);
    ORVANE_REQUIRE_OFFSCREEN(offscreen);
    // A copy: files are opened exclusively, and other tests read the sample at the same time.
    test::TempDirectory copy;
    std::filesystem::copy(Options::SAMPLE_TEXTURES, copy.path());
    auto scene = object::make<Scene>();
    ASSERT_TRUE(scene->load(copy.path("f5e_05.3ds"), copy.path())) << scene->failure();
    EXPECT_EQ(scene->triangles(), 7108u);
    EXPECT_TRUE(scene->model->isCompiled());
    float placement[16];
    Gui::placement(0, 0, 0, 0, 0, placement);
    scene->render(offscreen.context(), placement);
    EXPECT_NE(offscreen.pixel(150, 150) & 0xFFFFFF, 0u);
    EXPECT_EQ(offscreen.pixel(5, 5) & 0xFFFFFF, 0u);
}

// The frame's pixels, four bytes each.
std::vector<std::uint8_t> framePixels(int side) {
    using namespace graphics3d;
    std::vector<std::uint8_t> rgba(std::size_t(side) * std::size_t(side) * 4);
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.glReadPixels(0, 0, side, side, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

// The pixels of the frame that are not the black background.
int litPixels(int side) {
    const std::vector<std::uint8_t> rgba = framePixels(side);
    int lit = 0;
    for (std::size_t i = 0; i < rgba.size(); i += 4)
        lit += (rgba[i] | rgba[i + 1] | rgba[i + 2]) != 0;
    return lit;
}

// The mean of red, green and blue over the pixels that are not the black background.
double meanLitBrightness(int side) {
    const std::vector<std::uint8_t> rgba = framePixels(side);
    double sum = 0;
    int lit = 0;
    for (std::size_t i = 0; i < rgba.size(); i += 4)
        if (rgba[i] | rgba[i + 1] | rgba[i + 2]) {
            sum += (rgba[i] + rgba[i + 1] + rgba[i + 2]) / 3.0;
            ++lit;
        }
    return lit ? sum / lit : 0;
}

// A scale draws the placed model that many times its size about the origin, and the zoom
// limits follow: half the size covers about a quarter of the pixels, and reaches half as far.
TEST(SampleScene, AScaleEnlargesOrShrinksThePlacedModelAboutTheOrigin) {
    test::OffscreenGL offscreen(300, 300);
    ORVANE_REQUIRE_OFFSCREEN(offscreen);
    test::TempDirectory copy;
    std::filesystem::copy(Options::SAMPLE_TEXTURES, copy.path());
    struct Drawn {
        int lit = 0;
        float reach = 0;
        double brightness = 0;
        bool centred = false;
    };
    const auto draw = [&](bool framed, float scale) {
        auto scene = object::make<Scene>();
        Drawn drawn;
        EXPECT_TRUE(scene->load(copy.path("f5e_05.3ds"), copy.path(), framed, scale))
            << scene->failure();
        float placement[16];
        Gui::placement(0, 0, 0, 0, 0, placement);
        scene->render(offscreen.context(), placement);
        drawn.lit = litPixels(300);
        drawn.reach = scene->reach();
        drawn.brightness = meanLitBrightness(300);
        drawn.centred = (offscreen.pixel(150, 150) & 0xFFFFFF) != 0;
        return drawn;
    };
    const Drawn whole = draw(true, 1), half = draw(true, 0.5f);
    EXPECT_TRUE(whole.centred && half.centred);
    EXPECT_GT(half.lit, whole.lit / 5);
    EXPECT_LT(half.lit, whole.lit / 3);
    EXPECT_NEAR(half.reach, whole.reach / 2, whole.reach * 0.01f);

    // Drawn where it lies but scaled, the jet shrinks as well and keeps unit normals: lit
    // as brightly.
    const Drawn asItLies = draw(false, 1), halfAsItLies = draw(false, 0.5f);
    EXPECT_LT(halfAsItLies.lit, asItLies.lit / 3);
    EXPECT_NEAR(halfAsItLies.brightness, asItLies.brightness, asItLies.brightness * 0.05);
}

// The calls of the jet's frame once its stream has run once: what the performance report
// accounts for call by call. Draws of plain colour bind no texture and are ordered by
// material, and the parts' index ranges are merged in draw order so that neighbours of
// one state draw as one: a change to either shows here.
TEST(SampleScene, TheJetsFrameTakesTheCallsAccountedFor) {
    test::OffscreenGL offscreen(300, 300);
    ORVANE_REQUIRE_OFFSCREEN(offscreen);
    test::TempDirectory copy;
    std::filesystem::copy(Options::SAMPLE_TEXTURES, copy.path());
    // In front of the table before the stream is compiled: its code calls the entries it
    // found then.
    graphics3d::GLRecorder recorder(graphics3d::GLRecorder::COUNT, graphics3d::GLRecorder::FORWARD);
    auto scene = object::make<Scene>();
    ASSERT_TRUE(scene->load(copy.path("f5e_05.3ds"), copy.path())) << scene->failure();
    float placement[16];
    Gui::placement(0, 0, 0, 0, 0, placement);
    scene->render(offscreen.context(), placement);
    const std::uint64_t before = recorder.total(), drawsBefore = recorder.count("glDrawElements");
    scene->render(offscreen.context(), placement);
    EXPECT_EQ(recorder.total() - before, 81u) << "82 with the swap";
    EXPECT_EQ(recorder.count("glDrawElements") - drawsBefore, 9u);
}

// The jet has plain parts (the missiles) beside textured ones. Only the textured ones may
// draw with the shared texture shader: under it a plain part shows whatever texture the
// previous mesh left bound.
TEST(SampleScene, OnlyTexturedPartsShareTheTextureShader) {
    test::OffscreenGL offscreen(64, 64);
    ORVANE_REQUIRE_OFFSCREEN(offscreen);
    test::TempDirectory copy;
    std::filesystem::copy(Options::SAMPLE_TEXTURES, copy.path());
    auto scene = object::make<Scene>();
    scene->compileModel = false;
    ASSERT_TRUE(scene->load(copy.path("f5e_05.3ds"), copy.path())) << scene->failure();
    auto* model = dynamic_cast<graphics3d::StaticModel*>(scene->model.get());
    ASSERT_NE(model, nullptr);
    container::Array<graphics3d::Mesh*> meshes;
    model->collectMeshes(meshes);
    graphics3d::Shader* shared = nullptr;
    int textured = 0, plain = 0;
    for (std::uint32_t i = 0; i < meshes.count(); ++i) {
        graphics3d::Appearance* appearance = meshes[i]->getAppearance();
        ASSERT_NE(appearance, nullptr);
        graphics3d::Shader* shader = appearance->shader.get();
        const bool isTextureShader = dynamic_cast<graphics3d::TextureShader*>(shader) != nullptr;
        if (appearance->texture(0)) {
            ++textured;
            EXPECT_TRUE(isTextureShader);
            EXPECT_TRUE(!shared || shader == shared) << "one shader for every textured part";
            shared = shader;
        } else {
            ++plain;
            EXPECT_NE(shader, nullptr);
            EXPECT_FALSE(isTextureShader) << "mesh " << i << " has no texture to show";
        }
    }
    EXPECT_GT(textured, 0);
    EXPECT_GT(plain, 0);
}

// A mesh without a material draws in the default grey from the first frame on, the same
// on every frame, framed into the middle of the picture.
TEST(SampleScene, AMeshWithoutMaterialIsGreyOnTheFirstAndEveryLaterFrame) {
    test::OffscreenGL offscreen(64, 64);
    ORVANE_REQUIRE_OFFSCREEN(offscreen);
    test::TempDirectory directory;
    const std::string path = directory.write(
        "plain.3ds",
        test::modelFile({test::objectChunk(
            "Plate", test::Chunk(0x4100)
                         .add(test::vertexChunk({-5, -5, 3, 5, -5, 3, 5, 5, 3, -5, 5, 3}))
                         .add(test::faceChunk({{0, 1, 2}, {0, 2, 3}})))}));
    auto scene = object::make<Scene>();
    ASSERT_TRUE(scene->load(path, directory.path(), true)) << scene->failure();
    float placement[16];
    Gui::placement(0, 0, 0, 0, 0, placement);
    std::vector<std::uint32_t> frames[3];
    for (auto& frame : frames) {
        scene->render(offscreen.context(), placement);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                frame.push_back(offscreen.pixel(x, y) & 0xFFFFFF);
    }
    const std::uint32_t centre = frames[0][32 * 64 + 32];
    const std::uint32_t red = centre & 0xFF, green = (centre >> 8) & 0xFF, blue = centre >> 16;
    EXPECT_GT(red, 60u) << std::hex << centre;
    EXPECT_EQ(red, green);
    EXPECT_EQ(green, blue);
    EXPECT_EQ(frames[0][2 * 64 + 2], 0u) << "framed: the corner is background";
    EXPECT_EQ(frames[1], frames[0]);
    EXPECT_EQ(frames[2], frames[0]);
}

TEST(SnapshotFile, WritesWhatThePngTranslatorReadsBackAndRefusesWhatItCannotWrite) {
    test::TempDirectory directory;
    graphics::Image image(graphics::PixelFormat::RGB24, 3, 2);
    auto* pixels = static_cast<std::uint8_t*>(image.pixels());
    for (int i = 0; i < 18; ++i)
        pixels[i] = std::uint8_t(i * 13);
    std::string error;
    const std::string path = directory.path("frame.png");
    ASSERT_TRUE(PngFile::write(path, image, error)) << error;
    auto file = object::Pointer<io::SystemFile>::adopt(
        io::SystemFile::open(path.c_str(), io::SystemFile::MODE_READ));
    graphics::TranslatorPNG translator;
    auto read =
        object::Pointer<graphics::Image>::adopt(translator.translate(file->getInputStream(), -1));
    ASSERT_TRUE(read);
    ASSERT_EQ(read->getWidth(), 3);
    ASSERT_EQ(read->getHeight(), 2);
    const auto* back = static_cast<const std::uint8_t*>(read->pixels());
    const bool bgr = read->getFormat() == graphics::PixelFormat::BGR24;
    for (int p = 0; p < 6; ++p)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(back[p * 3 + (bgr ? 2 - c : c)], pixels[p * 3 + c]) << p << "," << c;

    EXPECT_FALSE(PngFile::write(directory.path("missing/frame.png"), image, error));
    EXPECT_FALSE(error.empty());
    graphics::Image palette(graphics::PixelFormat::INDEX8, 2, 2);
    EXPECT_FALSE(PngFile::write(path, palette, error));
    EXPECT_EQ(error, "only RGB and RGBA pictures are written as PNG");
}

} // namespace
} // namespace orvane::sample
