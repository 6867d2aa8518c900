// Drawing a static model mesh by mesh: the engine's CPU time per frame for a model of
// 1000 index meshes and 20 appearances, with the counting recorder in place of a driver,
// so that only the engine is measured (state caches, buffer binding, appearances, the
// matrix load) and every OpenGL call costs a few nanoseconds of counting.
//
// The model is laid out as a model translator makes one: 100 objects, each with its own
// vertex buffer (position, normal, and texture coordinates feeding all eight units) and
// 16-bit index buffer in buffer objects, cut into 10 index meshes of 20 triangles. Every
// appearance has its own colour material and texture and shares one texture shader.
//
// Interleaved: mesh k uses appearance k mod 20, so the appearance changes at every mesh.
// Grouped: mesh k uses appearance k / 50, runs of 50 meshes share one appearance, and the
// caches skip most of the state changes. CountedCallsAlone is the floor: the counting of
// as many calls as an interleaved frame makes.
//
// The Compiled variants draw the same models after Model::compile: one render stream in
// native code over merged buffers, sorted by appearance, with ranges that follow each
// other joined into one draw.

#include "orvane/graphics3d/gl/GLRecorder.h"
#include "orvane/graphics3d/mesh/IndexMesh.h"
#include "orvane/graphics3d/model/StaticModel.h"
#include "orvane/graphics3d/state/Appearance.h"
#include "orvane/graphics3d/state/ColourMaterial.h"
#include "orvane/graphics3d/state/Context.h"
#include "orvane/graphics3d/state/Texture2D.h"
#include "orvane/graphics3d/state/TextureShader.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using namespace orvane;
using namespace orvane::graphics3d;
using object::Pointer;

constexpr int OBJECTS = 100;
constexpr int MESHES_PER_OBJECT = 10;
constexpr int MESHES = OBJECTS * MESHES_PER_OBJECT;
constexpr int APPEARANCES = 20;
constexpr int VERTICES = 200;
constexpr int INDICES_PER_MESH = 60;

Pointer<VertexBuffer> objectVertices() {
    VertexFormat format;
    format.setComponent(0, 0x000C0324, VertexFormat::ARRAY_POSITION);
    format.setComponent(1, 0x000C0324, VertexFormat::ARRAY_NORMAL);
    format.setComponent(2, 0x00080224, 0xFF000);
    auto buffer = Pointer<VertexBuffer>::adopt(
        VertexBuffer::create(format, VERTICES, VertexBuffer::USAGE_STATIC));
    buffer->lock(GL_WRITE_ONLY_ARB);
    buffer->unlock();
    return buffer;
}

Pointer<IndexBuffer> objectIndices() {
    constexpr int count = MESHES_PER_OBJECT * INDICES_PER_MESH;
    auto buffer =
        Pointer<IndexBuffer>::adopt(IndexBuffer::create(2, count, IndexBuffer::USAGE_STATIC));
    if (auto* indices = static_cast<std::uint16_t*>(buffer->lock(GL_WRITE_ONLY_ARB)))
        for (int index = 0; index < count; ++index)
            indices[index] = std::uint16_t(index % VERTICES);
    buffer->unlock();
    return buffer;
}

struct Scene {
    Scene(bool grouped, bool compiled) {
        context = Context::createForCurrent();
        context->release(); // the chain keeps it until retire()
        auto shader = object::make<TextureShader>();
        std::vector<Pointer<Appearance>> appearances;
        for (int index = 0; index < APPEARANCES; ++index) {
            auto material = object::make<ColourMaterial>();
            material->ambient[0] = float(index) / APPEARANCES;
            GLuint name = 0;
            gl.glGenTextures(1, &name);
            auto appearance = object::make<Appearance>();
            appearance->setMaterial(material.get());
            appearance->setTexture(object::make<Texture2D>(name).get(), 0);
            appearance->setShader(shader.get());
            appearances.push_back(appearance);
        }
        for (int object = 0; object < OBJECTS; ++object) {
            auto vertices = objectVertices();
            auto indices = objectIndices();
            for (int part = 0; part < MESHES_PER_OBJECT; ++part) {
                const int k = object * MESHES_PER_OBJECT + part;
                auto mesh = object::make<IndexMesh>();
                mesh->setVertexBuffer(vertices.get(), 0);
                mesh->setIndexBuffer(indices.get());
                mesh->setFirst(std::uint32_t(part * INDICES_PER_MESH));
                mesh->setEnd(std::uint32_t((part + 1) * INDICES_PER_MESH));
                mesh->setAppearance(
                    appearances[grouped ? k / (MESHES / APPEARANCES) : k % APPEARANCES].get());
                model->addMesh(mesh.get());
            }
        }
        model->initialise();
        if (compiled)
            model->compile();
        parameters =
            Pointer<ParameterBuffer>::adopt(ParameterBuffer::create(model->getParameterFormat()));
        const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        std::memcpy(parameters->parameter("position"), identity, sizeof identity);
    }
    ~Scene() {
        model = nullptr;
        context->retire();
    }

    Context* context;
    Pointer<StaticModel> model = object::make<StaticModel>();
    Pointer<ParameterBuffer> parameters;
};

void drawModel(benchmark::State& state, bool grouped, bool compiled = false) {
    GLRecorder recorder(GLRecorder::COUNT);
    Scene scene(grouped, compiled);
    if (compiled && !scene.model->isCompiled()) {
        state.SkipWithError("the model did not compile");
        return;
    }
    scene.model->draw(*scene.parameters); // the first frame makes every state current
    recorder.clear();
    for (auto _ : state)
        scene.model->draw(*scene.parameters);
    const double frames = double(state.iterations());
    state.counters["gl_calls_per_frame"] = double(recorder.total()) / frames;
    state.counters["per_mesh"] = benchmark::Counter(
        MESHES, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void DrawStaticModelInterleaved(benchmark::State& state) {
    drawModel(state, false);
}
BENCHMARK(DrawStaticModelInterleaved)->Unit(benchmark::kMicrosecond);

void DrawStaticModelGrouped(benchmark::State& state) {
    drawModel(state, true);
}
BENCHMARK(DrawStaticModelGrouped)->Unit(benchmark::kMicrosecond);

void DrawCompiledModelInterleaved(benchmark::State& state) {
    drawModel(state, false, true);
}
BENCHMARK(DrawCompiledModelInterleaved)->Unit(benchmark::kMicrosecond);

void DrawCompiledModelGrouped(benchmark::State& state) {
    drawModel(state, true, true);
}
BENCHMARK(DrawCompiledModelGrouped)->Unit(benchmark::kMicrosecond);

// What the counting alone costs: as many counted calls as an interleaved frame makes,
// with nothing of the engine around them.
void CountedCallsAlone(benchmark::State& state) {
    GLRecorder recorder(GLRecorder::COUNT);
    for (auto _ : state)
        for (int call = 0; call < 30001; ++call)
            gl.glDrawArrays(GL_TRIANGLES, call, 3);
    state.counters["gl_calls_per_frame"] = double(recorder.total()) / double(state.iterations());
}
BENCHMARK(CountedCallsAlone)->Unit(benchmark::kMicrosecond);

} // namespace
