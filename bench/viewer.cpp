// The viewer's frames at 300 x 300 on Mesa (llvmpipe, offscreen): frames per second and
// OpenGL calls per frame for the sample jet and for generated models of about 10,000 and
// 50,000 faces with 20 textured materials, each compiled into a render stream and drawn
// mesh by mesh, with the render context's state caches on and bypassed (every selection
// sent again). A frame is what the viewer draws (Scene::render) followed by glFinish, so
// that the time is the drawing's and not only the queueing's. Run from the repository's
// root (the models' textures are the sample's, in data/).

#include "orvane/graphics3d/gl/GL.h"
#include "orvane/graphics3d/gl/GLRecorder.h"
#include "orvane/graphics3d/state/OffscreenContext.h"
#include "orvane/object/Pointer.h"
#include "orvane/sample/Gui.h"
#include "orvane/sample/Options.h"
#include "orvane/sample/Scene.h"
#include "tests/support/ModelFiles.h"
#include "tests/support/TempDirectory.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace orvane;
using graphics3d::gl;
using test::Chunk;

constexpr int MATERIALS = 20;
const char* const TEXTURES[] = {"CAMO1.BMP",  "CANOPY.GIF",   "INSIG.TGA",
                                "nozzle.pcx", "FINFLASH.JPG", "RADOME.PNG"};

// A wavy square sheet of about `faces` faces, 300 units wide around the origin so that
// the viewer's camera frames it, in meshes of at most 8,192 faces, each mesh's faces dealt
// round the 20 materials.
test::Bytes generatedModel(int faces) {
    std::vector<Chunk> chunks;
    for (int m = 0; m < MATERIALS; ++m)
        chunks.push_back(test::materialChunk(
            {.name = "Material" + std::to_string(m), .texture = TEXTURES[m % 6]}));
    const int meshes = (faces + 8191) / 8192;
    for (int mesh = 0; mesh < meshes; ++mesh) {
        const int meshFaces = faces / meshes;
        const int columns = 64, rows = (meshFaces / 2 + columns - 1) / columns;
        const float width = 300.0f, height = 300.0f / float(meshes);
        const float top = 150.0f - height * float(mesh);
        std::vector<float> xyz, uv;
        for (int y = 0; y <= rows; ++y)
            for (int x = 0; x <= columns; ++x) {
                const float px = -150.0f + width * float(x) / columns;
                const float py = top - height * float(y) / float(rows);
                xyz.insert(xyz.end(), {px, py, 8.0f * std::sin(px * 0.05f + py * 0.03f)});
                uv.insert(uv.end(), {float(x) / columns, float(y) / float(rows)});
            }
        Chunk faceChunk = test::faceChunk(test::gridFaces(meshFaces, columns, true));
        for (int m = 0; m < MATERIALS; ++m) {
            std::vector<std::uint16_t> group;
            for (int f = m; f < meshFaces; f += MATERIALS)
                group.push_back(std::uint16_t(f));
            faceChunk.add(test::groupChunk("Material" + std::to_string(m), group));
        }
        chunks.push_back(test::objectChunk(
            "Sheet" + std::to_string(mesh),
            Chunk(0x4100).add(test::vertexChunk(xyz)).add(test::texCoordChunk(uv)).add(faceChunk)));
    }
    return test::modelFile(chunks);
}

// The model of the benchmark's first argument: 0 the sample jet, else a generated model
// of that many faces, written once into a directory that lives as long as the program.
std::string modelPath(int faces) {
    if (faces == 0)
        return sample::Options::SAMPLE_MODEL;
    static test::TempDirectory directory;
    const std::string name = "sheet" + std::to_string(faces) + ".3ds";
    return directory.write(name, generatedModel(faces));
}

object::Pointer<sample::Scene> loadScene(int faces, bool compiled, benchmark::State& state) {
    auto scene = object::make<sample::Scene>();
    scene->compileModel = compiled;
    if (!scene->load(modelPath(faces), sample::Options::SAMPLE_TEXTURES))
        state.SkipWithError(scene->failure().c_str());
    return scene;
}

void frames(benchmark::State& state) {
    const int faces = int(state.range(0));
    const bool compiled = state.range(1) != 0;
    const bool caches = state.range(2) != 0;
    auto offscreen = object::Pointer<graphics3d::OffscreenContext>::adopt(
        graphics3d::OffscreenContext::create(300, 300));
    if (!offscreen) {
        state.SkipWithError("no offscreen OpenGL");
        return;
    }
    graphics3d::Context& context = *offscreen->context;
    context.setRedundancyTests(caches);
    gl.glEnable(graphics3d::GL_CULL_FACE);
    gl.glViewport(0, 0, 300, 300);
    float placement[16];
    sample::Gui::placement(0, 0, 0, 30.0f, 20.0f, placement);

    // The calls of one frame, counted on a scene made under the counter (a compiled
    // stream calls the entry points the table held when it was made).
    std::uint64_t calls = 0, triangles = 0;
    {
        graphics3d::GLRecorder counter(graphics3d::GLRecorder::COUNT,
                                       graphics3d::GLRecorder::FORWARD);
        auto counted = loadScene(faces, compiled, state);
        counted->render(context, placement);
        counter.clear();
        counted->render(context, placement);
        calls = counter.total();
        triangles = counted->triangles();
    }
    auto scene = loadScene(faces, compiled, state);
    for (auto _ : state) {
        scene->render(context, placement);
        gl.glFinish();
    }
    state.counters["fps"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["GL calls"] = double(calls);
    state.counters["triangles"] = double(triangles);
}

// Arguments: faces (0: the sample jet), compiled, state caches on.
BENCHMARK(frames)
    ->ArgNames({"faces", "compiled", "caches"})
    ->ArgsProduct({{0, 10000, 50000}, {1, 0}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime() // llvmpipe draws on threads of its own
    ->MinTime(2.0);

} // namespace
