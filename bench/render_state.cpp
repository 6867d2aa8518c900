// What the render-state objects cost on the CPU: an appearance applied while everything
// is current (the common case in a sorted model), two appearances that share a shader
// applied in turn, and the conversions a texture upload may need (palette expansion and
// software DXT1 decoding, MB/s of RGBA output). OpenGL calls go to a counting recorder, so
// the figures leave the driver out.

#include "orvane/graphics/CompressedImage.h"
#include "orvane/graphics/PixelFormat.h"
#include "orvane/graphics3d/gl/GLRecorder.h"
#include "orvane/graphics3d/state/Appearance.h"
#include "orvane/graphics3d/state/ColourMaterial.h"
#include "orvane/graphics3d/state/Context.h"
#include "orvane/graphics3d/state/TextureShader.h"
#include "orvane/graphics3d/state/TextureUpload.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

using namespace orvane;
using namespace orvane::graphics3d;
namespace Format = graphics::PixelFormat;

// Named textures that need no OpenGL.
class PlainTexture : public Texture {
public:
    explicit PlainTexture(GLuint id)
        : Texture(id, GL_TEXTURE_2D) {}
};

struct Scene {
    GLRecorder recorder{GLRecorder::COUNT};
    Context* context = Context::createForCurrent();
    TextureShader shader;
    ColourMaterial materials[2];
    PlainTexture textures[2] = {PlainTexture(1), PlainTexture(2)};
    Appearance appearances[2];

    Scene() {
        for (int i = 0; i < 2; ++i) {
            appearances[i].setShader(&shader);
            appearances[i].setMaterial(&materials[i]);
            appearances[i].setTexture(&textures[i], 0);
        }
    }
    ~Scene() {
        context->retire();
        context->release();
    }
};

void BM_AppearanceAlreadyCurrent(benchmark::State& state) {
    Scene scene;
    scene.appearances[0].apply();
    for (auto _ : state)
        scene.appearances[0].apply();
    state.counters["gl calls/apply"] =
        double(scene.recorder.total()) / double(state.iterations() + 1);
}
BENCHMARK(BM_AppearanceAlreadyCurrent);

void BM_AppearancesInTurn(benchmark::State& state) {
    Scene scene;
    std::size_t turn = 0;
    for (auto _ : state)
        scene.appearances[++turn & 1].apply();
    state.counters["gl calls/apply"] = double(scene.recorder.total()) / double(state.iterations());
}
BENCHMARK(BM_AppearancesInTurn);

constexpr int side = 512;

void BM_ExpandPalette(benchmark::State& state) {
    graphics::Image indexed(Format::INDEX8, side, side);
    auto* pixels = static_cast<std::uint8_t*>(indexed.pixels());
    for (int i = 0; i < side * side; ++i)
        pixels[i] = std::uint8_t(i * 7);
    graphics::Image::ColourPalette palette;
    for (int i = 0; i < 256; ++i)
        palette.set(i, std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2),
                    std::uint8_t(state.range(0) ? i : 0));
    indexed.setPalette(&palette);
    for (auto _ : state)
        benchmark::DoNotOptimize(textureupload::expandPalette(&indexed).get());
    state.SetBytesProcessed(state.iterations() * side * side * (state.range(0) ? 4 : 3));
}
BENCHMARK(BM_ExpandPalette)->Arg(0)->Arg(1)->ArgName("alpha");

void BM_DecodeDxt1(benchmark::State& state) {
    graphics::CompressedImage level(Format::DXT1, side, side);
    auto* blocks = static_cast<std::uint8_t*>(level.pixels());
    for (std::int64_t i = 0; i < level.dataBytes(); ++i)
        blocks[i] = std::uint8_t(i * 131 + (i >> 8));
    for (auto _ : state)
        benchmark::DoNotOptimize(textureupload::decompress(&level).get());
    state.SetBytesProcessed(state.iterations() * side * side * 4);
}
BENCHMARK(BM_DecodeDxt1);

} // namespace
