// The cost of OpenGL access: a call through the dispatch table, the recorder's two modes,
// and the state caches' redundancy test against a re-sent selection. The table answers
// with stubs or the scripted recorder, so only the engine's side is measured.

#include "orvane/graphics3d/gl/GLRecorder.h"
#include "orvane/graphics3d/state/Context.h"
#include "orvane/graphics3d/state/Material.h"

#include <benchmark/benchmark.h>

namespace {

using namespace orvane::graphics3d;

void callThroughTheTable(benchmark::State& state) {
    for (auto _ : state)
        gl.glEnable(GL_LIGHTING);
}
BENCHMARK(callThroughTheTable);

void callWhileCounting(benchmark::State& state) {
    GLRecorder recorder(GLRecorder::COUNT);
    for (auto _ : state)
        gl.glMatrixMode(GL_MODELVIEW);
    state.counters["calls"] = double(recorder.total());
}
BENCHMARK(callWhileCounting);

void callWhileRecordingText(benchmark::State& state) {
    GLRecorder recorder(GLRecorder::TEXT);
    const float colour[] = {0.2f, 0.2f, 0.2f, 1};
    for (auto _ : state) {
        gl.glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, colour);
        if (recorder.calls().size() > 4096)
            recorder.clear();
    }
}
BENCHMARK(callWhileRecordingText);

class OneCallMaterial : public Material {
public:
    void apply() override { gl.glColor4f(1, 1, 1, 1); }
};

// Selecting two materials in turn, with the caches' test on or off; the same material
// twice in a row is what the test saves.
void selectMaterials(benchmark::State& state) {
    GLRecorder recorder(GLRecorder::COUNT);
    Context* context = Context::createForCurrent();
    context->setRedundancyTests(state.range(0) != 0);
    OneCallMaterial first, second;
    for (auto _ : state) {
        context->materialStack.select(&first);
        context->materialStack.select(&first);
        context->materialStack.select(&second);
        context->materialStack.select(&second);
    }
    state.counters["GL calls per 4 selections"] =
        double(recorder.total()) / double(state.iterations());
    context->retire();
    context->release();
}
BENCHMARK(selectMaterials)->Arg(1)->Arg(0);

void switchClientArrays(benchmark::State& state) {
    GLRecorder recorder(GLRecorder::COUNT);
    Context* context = Context::createForCurrent();
    for (auto _ : state) {
        context->shaderStack.setClientArrays(0x1005);
        context->shaderStack.setClientArrays(0x5);
    }
    context->retire();
    context->release();
}
BENCHMARK(switchClientArrays);

} // namespace
