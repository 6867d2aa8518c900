// Reading speed of the 3DS translator on generated models of about 1,000, 10,000 and
// 60,000 faces, held in memory: the chunk walk into the scene description alone, and the
// walk followed by the vertex layout (smooth normals, flipped coordinates) and the index
// lists of every mesh, which is the work of building short of the engine's buffer
// objects. Figures are time per model and faces per second. The same from a file on disk,
// and for the viewer's sample jet (data/f5e_05.3ds, run from the repository's root);
// and the generated models with smoothing groups, whose layout splits vertices.
//
// Then the whole translate() without textures: into buffers of ordinary memory (no OpenGL
// context), and into buffer objects in an offscreen context; and the compilation of the
// translated model (Model::compile) in that context.

#include "orvane/graphics3d/mesh/ParameterBuffer.h"
#include "orvane/graphics3d/model3ds/MeshLayout3DS.h"
#include "orvane/graphics3d/model3ds/Translator3DS.h"
#include "orvane/graphics3d/state/OffscreenContext.h"
#include "orvane/io/MemoryFile.h"
#include "orvane/io/SystemFile.h"
#include "orvane/native/Display.h"
#include "orvane/native/Process.h"
#include "tests/support/LargeModel.h"
#include "tests/support/ModelFiles.h"
#include "tests/support/TempDirectory.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace orvane;
using test::Chunk;

// As the viewer does: the large models' arrays and the driver's per-frame buffers come
// from the heap, not from fresh mappings whose pages the kernel zeroes every time.
const bool heapKept = [] {
    native::keepLargeBlocksOnTheHeap(std::size_t(256) << 20);
    return true;
}();

// A model of the given number of faces: meshes of at most 8,192 faces (a wavy grid of
// quads with texture coordinates), each split over four material groups, and the four
// materials before them, as exporters write them. Smoothed, each mesh's faces also carry
// smoothing groups: bands of eight columns of quads, sharp where two bands meet.
test::Bytes generatedModel(int faces, bool smoothed = false) {
    std::vector<Chunk> chunks;
    for (int m = 0; m < 4; ++m)
        chunks.push_back(test::materialChunk({.name = "Material" + std::to_string(m),
                                              .texture = "TEX" + std::to_string(m) + ".BMP"}));
    for (int mesh = 0; faces > 0; ++mesh) {
        const int meshFaces = std::min(faces, 8192);
        faces -= meshFaces;
        const int columns = 64, rows = (meshFaces / 2 + columns - 1) / columns;
        std::vector<float> xyz, uv;
        for (int y = 0; y <= rows; ++y) {
            for (int x = 0; x <= columns; ++x) {
                xyz.insert(xyz.end(), {float(x), float(y), std::sin(float(x + y) * 0.3f)});
                uv.insert(uv.end(), {float(x) / columns, float(y) / float(rows)});
            }
        }
        Chunk faceChunk = test::faceChunk(test::gridFaces(meshFaces, columns, false));
        for (int m = 0; m < 4; ++m) {
            std::vector<std::uint16_t> group;
            for (int f = m; f < meshFaces; f += 4)
                group.push_back(std::uint16_t(f));
            faceChunk.add(test::groupChunk("Material" + std::to_string(m), group));
        }
        if (smoothed) {
            std::vector<std::uint32_t> masks(std::size_t{std::uint32_t(meshFaces)});
            for (int f = 0; f < meshFaces; ++f)
                masks[std::size_t(f)] = 1u << (f / 2 % columns / 8);
            faceChunk.add(test::smoothingChunk(masks));
        }
        chunks.push_back(
            test::objectChunk("Mesh" + std::to_string(mesh), Chunk(0x4100)
                                                                 .add(test::vertexChunk(xyz))
                                                                 .add(test::texCoordChunk(uv))
                                                                 .add(faceChunk)
                                                                 .add(test::axesChunk())));
    }
    return test::modelFile(chunks);
}

// Lays out every buildable mesh of the scene into the given memory.
void layOut(const graphics3d::Scene3DS& scene, std::vector<std::uint8_t>& vertices,
            std::vector<std::uint8_t>& indices) {
    for (const graphics3d::Mesh3DS& mesh : scene.meshes) {
        if (!mesh.isBuildable())
            continue;
        const graphics3d::MeshLayout3DS layout(mesh);
        vertices.resize(std::size_t(layout.vertexCount()) * layout.vertexStride());
        layout.writeVertices(vertices.data());
        indices.resize(std::size_t(layout.indexCount()) * layout.indexSize());
        layout.writeIndices(indices.data());
        benchmark::DoNotOptimize(indices.data());
    }
}

void countFaces(benchmark::State& state, std::uint64_t faces, std::size_t bytes) {
    state.counters["faces/s"] =
        benchmark::Counter(double(faces), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["bytes"] = double(bytes);
}

void read(benchmark::State& state, bool layOutMeshes, bool smoothed = false) {
    const int faces = int(state.range(0));
    const test::Bytes bytes = generatedModel(faces, smoothed);
    graphics3d::Translator3DS translator;
    graphics3d::Scene3DS scene;
    std::vector<std::uint8_t> vertices;
    std::vector<std::uint8_t> indices;
    for (auto _ : state) {
        io::MemoryFile file(bytes.data(), bytes.size());
        translator.read(file.getInputStream(), -1, scene);
        if (layOutMeshes)
            layOut(scene, vertices, indices);
    }
    countFaces(state, std::uint64_t(faces), bytes.size());
}

// Opens, reads and lays out a file on disk per iteration.
void readFile(benchmark::State& state, const std::string& path) {
    graphics3d::Translator3DS translator;
    graphics3d::Scene3DS scene;
    std::vector<std::uint8_t> vertices;
    std::vector<std::uint8_t> indices;
    std::uint64_t faces = 0;
    for (auto _ : state) {
        auto file = object::Pointer<io::SystemFile>::adopt(
            io::SystemFile::open(path.c_str(), io::SystemFile::MODE_READ));
        translator.read(file->getInputStream(), -1, scene);
        layOut(scene, vertices, indices);
    }
    for (const graphics3d::Mesh3DS& mesh : scene.meshes)
        faces += mesh.faceCount;
    countFaces(state, faces, std::filesystem::file_size(path));
}

void BM_Read3DS(benchmark::State& state) {
    read(state, false);
}

void BM_ReadAndLayOut3DS(benchmark::State& state) {
    read(state, true);
}

// The same models with smoothing groups: the layout splits vertices by normal.
void BM_ReadAndLayOutSmoothed3DS(benchmark::State& state) {
    read(state, true, true);
}

void BM_ReadAndLayOutFile3DS(benchmark::State& state) {
    test::TempDirectory directory;
    readFile(state, directory.write("model.3ds", generatedModel(int(state.range(0)))));
}

void BM_SampleJet(benchmark::State& state) {
    if (!std::filesystem::exists("data/f5e_05.3ds")) {
        state.SkipWithError("run from the repository's root: data/f5e_05.3ds not found");
        return;
    }
    readFile(state, "data/f5e_05.3ds");
}

// The model of bytes, built without textures.
object::Pointer<graphics3d::Model> translateModel(const test::Bytes& bytes) {
    io::MemoryFile file(bytes.data(), bytes.size());
    graphics3d::Translator3DS translator;
    graphics3d::ModelBuilder3DS builder(nullptr);
    return object::Pointer<graphics3d::Model>::adopt(
        translator.translate(file.getInputStream(), -1, builder));
}

std::uint64_t facesOf(const test::Bytes& bytes) {
    io::MemoryFile file(bytes.data(), bytes.size());
    graphics3d::Translator3DS translator;
    graphics3d::Scene3DS scene;
    translator.read(file.getInputStream(), -1, scene);
    std::uint64_t faces = 0;
    for (const graphics3d::Mesh3DS& mesh : scene.meshes)
        faces += mesh.faceCount;
    return faces;
}

// The model to measure: generated with the benchmark's face count, or (0) the sample jet.
test::Bytes modelBytes(benchmark::State& state) {
    if (state.range(0) > 0)
        return generatedModel(int(state.range(0)));
    auto file = object::Pointer<io::SystemFile>::adopt(
        io::SystemFile::open("data/f5e_05.3ds", io::SystemFile::MODE_READ));
    test::Bytes bytes(std::size_t(file->getInputStream()->available()));
    file->getInputStream()->read(bytes.data(), int(bytes.size()));
    return bytes;
}

// An offscreen context current for the benchmark's run, or null after skipping it.
object::Pointer<graphics3d::OffscreenContext> offscreenContext(benchmark::State& state) {
    auto context = object::Pointer<graphics3d::OffscreenContext>::adopt(
        graphics3d::OffscreenContext::create(16, 16));
    if (!context)
        state.SkipWithError(("no offscreen OpenGL: " + native::lastError()).c_str());
    return context;
}

void translateEach(benchmark::State& state, const test::Bytes& bytes) {
    for (auto _ : state) {
        const object::Pointer<graphics3d::Model> model = translateModel(bytes);
        benchmark::DoNotOptimize(model.get());
    }
    countFaces(state, facesOf(bytes), bytes.size());
}

void BM_Translate3DS(benchmark::State& state) {
    if (state.range(0) == 0 && !std::filesystem::exists("data/f5e_05.3ds")) {
        state.SkipWithError("run from the repository's root: data/f5e_05.3ds not found");
        return;
    }
    translateEach(state, modelBytes(state));
}

void BM_TranslateSmoothed3DS(benchmark::State& state) {
    translateEach(state, generatedModel(int(state.range(0)), true));
}

void BM_TranslateInContext3DS(benchmark::State& state) {
    const auto context = offscreenContext(state);
    if (context)
        translateEach(state, modelBytes(state));
}

// Model::compile alone: each model is translated with the clock stopped.
void compileEach(benchmark::State& state, const test::Bytes& bytes) {
    for (auto _ : state) {
        state.PauseTiming();
        object::Pointer<graphics3d::Model> model = translateModel(bytes);
        state.ResumeTiming();
        if (!model->compile())
            state.SkipWithError("the model did not compile");
        state.PauseTiming();
        model = nullptr;
        state.ResumeTiming();
    }
    countFaces(state, facesOf(bytes), bytes.size());
}

void BM_Compile3DS(benchmark::State& state) {
    const auto context = offscreenContext(state);
    if (context)
        compileEach(state, modelBytes(state));
}

// The large models (tests/support/LargeModel.h: 40 objects, 20 textured materials, the
// textures not loaded) from 10,000 to 2,000,000 faces: translation, compilation, and one
// frame of the compiled model at 300 x 300 (finished with glFinish).
test::Bytes largeBytes(benchmark::State& state) {
    return test::largeModel(long(state.range(0)), 40, 20);
}

void BM_TranslateLarge3DS(benchmark::State& state) {
    translateEach(state, largeBytes(state));
}

void BM_CompileLarge3DS(benchmark::State& state) {
    const auto context = offscreenContext(state);
    if (context)
        compileEach(state, largeBytes(state));
}

void BM_FrameLarge3DS(benchmark::State& state) {
    auto context = object::Pointer<graphics3d::OffscreenContext>::adopt(
        graphics3d::OffscreenContext::create(300, 300));
    if (!context) {
        state.SkipWithError(("no offscreen OpenGL: " + native::lastError()).c_str());
        return;
    }
    const test::Bytes bytes = largeBytes(state);
    object::Pointer<graphics3d::Model> model = translateModel(bytes);
    model->compile();
    auto parameters = object::Pointer<graphics3d::ParameterBuffer>::adopt(
        graphics3d::ParameterBuffer::create(model->getParameterFormat()));
    // The whole model in view: its 1,820 x 1,560 units scaled into the unit cube.
    const float scale = 1.0f / 1200;
    const float placement[16] = {scale, 0, 0,     -0.9f, 0, scale, 0, -0.7f,
                                 0,     0, scale, 0,     0, 0,     0, 1};
    std::memcpy(parameters->parameter("position"), placement, sizeof placement);
    using graphics3d::gl;
    for (auto _ : state) {
        gl.glClear(graphics3d::GL_COLOR_BUFFER_BIT | graphics3d::GL_DEPTH_BUFFER_BIT);
        model->draw(*parameters);
        gl.glFinish();
    }
    countFaces(state, facesOf(bytes), bytes.size());
}

BENCHMARK(BM_Read3DS)->Arg(1000)->Arg(10000)->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndLayOut3DS)->Arg(1000)->Arg(10000)->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndLayOutSmoothed3DS)->Arg(10000)->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndLayOutFile3DS)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(60000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SampleJet)->Unit(benchmark::kMillisecond);

// 0 stands for the sample jet.
BENCHMARK(BM_Translate3DS)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(60000)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TranslateSmoothed3DS)->Arg(10000)->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TranslateInContext3DS)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(60000)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compile3DS)->Arg(1000)->Arg(10000)->Arg(60000)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TranslateLarge3DS)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(500000)
    ->Arg(2000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileLarge3DS)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(500000)
    ->Arg(2000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameLarge3DS)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(500000)
    ->Arg(2000000)
    ->Unit(benchmark::kMillisecond);

} // namespace
