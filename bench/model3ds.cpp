// Reading speed of the 3DS translator on generated models of about 1,000, 10,000 and
// 60,000 faces, held in memory: the chunk walk into the scene description alone, and the
// walk followed by the vertex layout (smooth normals, flipped coordinates) and the index
// lists of every mesh, which is the work of building short of the engine's buffer
// objects. Figures are time per model and faces per second.

#include "orvane/graphics3d/MeshLayout3DS.h"
#include "orvane/graphics3d/Translator3DS.h"
#include "orvane/io/MemoryFile.h"
#include "tests/support/ModelFiles.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

using namespace orvane;
using test::Chunk;

// A model of the given number of faces: meshes of at most 8,192 faces (a wavy grid of
// quads with texture coordinates), each split over four material groups, and the four
// materials before them, as exporters write them.
test::Bytes generatedModel(int faces) {
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
        std::vector<test::Face> list;
        for (int f = 0; f < meshFaces; ++f) {
            const int quad = f / 2, x = quad % columns, y = quad / columns;
            const auto at = [&](int dx, int dy) {
                return std::uint16_t((y + dy) * (columns + 1) + x + dx);
            };
            list.push_back(f % 2 ? test::Face{at(0, 0), at(1, 1), at(0, 1)}
                                 : test::Face{at(0, 0), at(1, 0), at(1, 1)});
        }
        Chunk faceChunk = test::faceChunk(list);
        for (int m = 0; m < 4; ++m) {
            std::vector<std::uint16_t> group;
            for (int f = m; f < meshFaces; f += 4)
                group.push_back(std::uint16_t(f));
            faceChunk.add(test::groupChunk("Material" + std::to_string(m), group));
        }
        chunks.push_back(test::objectChunk("Mesh" + std::to_string(mesh),
                                           Chunk(0x4100)
                                               .add(test::vertexChunk(xyz))
                                               .add(test::texCoordChunk(uv))
                                               .add(faceChunk)
                                               .add(test::axesChunk())));
    }
    return test::modelFile(chunks);
}

void read(benchmark::State& state, bool layOut) {
    const int faces = int(state.range(0));
    const test::Bytes bytes = generatedModel(faces);
    graphics3d::Translator3DS translator;
    graphics3d::Scene3DS scene;
    std::vector<std::uint8_t> vertices;
    std::vector<std::uint16_t> indices;
    for (auto _ : state) {
        io::MemoryFile file(bytes.data(), bytes.size());
        translator.read(file.getInputStream(), -1, scene);
        if (!layOut)
            continue;
        for (const graphics3d::Mesh3DS& mesh : scene.meshes) {
            const graphics3d::MeshLayout3DS layout(mesh);
            vertices.resize(std::size_t(layout.vertexCount()) * layout.vertexStride());
            layout.writeVertices(vertices.data());
            indices.resize(layout.indexCount());
            layout.writeIndices(indices.data());
            benchmark::DoNotOptimize(indices.data());
        }
    }
    state.counters["faces/s"] =
        benchmark::Counter(double(faces), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["bytes"] = double(bytes.size());
}

void BM_Read3DS(benchmark::State& state) {
    read(state, false);
}

void BM_ReadAndLayOut3DS(benchmark::State& state) {
    read(state, true);
}

BENCHMARK(BM_Read3DS)->Arg(1000)->Arg(10000)->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndLayOut3DS)->Arg(1000)->Arg(10000)->Arg(60000)->Unit(benchmark::kMillisecond);

} // namespace
