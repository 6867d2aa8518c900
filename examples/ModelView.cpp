#include "ModelView.h"

#include "orvane/graphics3d/gl/GL.h"
#include "orvane/graphics3d/model3ds/Translator3DS.h"
#include "orvane/graphics3d/state/Context.h"
#include "orvane/graphics3d/state/TextureManager.h"
#include "orvane/gui3d/Label.h"
#include "orvane/io/SystemFile.h"
#include "orvane/native/Display.h"
#include "orvane/object/Exception.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

namespace example {
namespace {

using namespace orvane;
using namespace orvane::graphics3d; // the OpenGL table `gl` and its constants

constexpr float PI = 3.14159265f;
constexpr float FIELD_OF_VIEW = 45.0f; // vertical, degrees

double secondsNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// 4 x 4 matrices row by row, as the model's "position" parameter holds them.
struct Matrix {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    static Matrix translation(float x, float y, float z) {
        Matrix t;
        t.m[3] = x;
        t.m[7] = y;
        t.m[11] = z;
        return t;
    }
    static Matrix rotation(int axis, float degrees) {
        const float c = std::cos(degrees * PI / 180), s = std::sin(degrees * PI / 180);
        const int a = (axis + 1) % 3, b = (axis + 2) % 3;
        Matrix r;
        r.m[a * 4 + a] = c;
        r.m[a * 4 + b] = -s;
        r.m[b * 4 + a] = s;
        r.m[b * 4 + b] = c;
        return r;
    }
    Matrix operator*(const Matrix& o) const {
        Matrix p;
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column) {
                float sum = 0;
                for (int k = 0; k < 4; ++k)
                    sum += m[row * 4 + k] * o.m[k * 4 + column];
                p.m[row * 4 + column] = sum;
            }
        return p;
    }
};

// The file is released however reading it ends.
struct OpenFile {
    explicit OpenFile(const std::string& path)
        : file(io::SystemFile::open(path.c_str(), io::SystemFile::MODE_READ)) {}
    ~OpenFile() {
        if (file)
            file->release();
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    io::SystemFile* file;
};

} // namespace

ModelView::ModelView(const graphics::Rectangle<float>& area, std::string modelPath, int frameLimit)
    : gui::OpenGL(area)
    , modelPath(std::move(modelPath))
    , frameLimit(frameLimit) {
    colourBits = 24;
    depthBits = 24;
    mode.depthFunc = GL_LESS;
    mode.depthMask = true;
    const float lightPosition[3] = {600, 800, 900}; // in eye space: above, right, behind
    std::memcpy(light.position, lightPosition, sizeof lightPosition);
}

bool ModelView::attach() {
    if (!gui::OpenGL::attach()) {
        fail("no OpenGL view: " + native::lastError());
        return false;
    }
    // From here on the view's OpenGL context is current on this (the window's) thread.
    if (!loadModel())
        return true; // the window stays usable; main() reports the failure
    addInSceneViews();
    started = secondsNow();
    return true;
}

bool ModelView::loadModel() {
    try {
        // The 3DS file names its textures relative to its own folder.
        auto textures = object::make<TextureManager>();
        const std::filesystem::path folder = std::filesystem::path(modelPath).parent_path();
        textures->getFactory().setDirectory(folder.string().c_str());

        Translator3DS translator;
        translator.setTextureManager(textures.get());
        // A texture that cannot be loaded costs only itself: its material is kept without it.
        translator.setTextureFailures(ModelBuilder3DS::TextureFailures::WARN);
        OpenFile opened(modelPath);
        model =
            object::Pointer<Model>::adopt(translator.translate(opened.file->getInputStream(), -1));
        for (const ModelBuilder3DS::TextureFailure& failure : translator.textureFailures())
            std::fprintf(stderr, "orvane-example: warning: %s not loaded\n",
                         failure.textureName.c_str());
    } catch (const object::Exception& exception) {
        fail(modelPath + ": " + exception.getName().cString() + ": " +
             exception.getMessage().cString());
        return false;
    }
    if (!model) {
        fail(modelPath + ": the file holds no 3D scene");
        return false;
    }
    // One render stream instead of a draw per mesh; the meshes' buffers move into it.
    model->compile();
    parameters = object::Pointer<ParameterBuffer>::adopt(
        ParameterBuffer::create(model->getParameterFormat()));
    if (!parameters || !parameters->parameter("position")) {
        fail(modelPath + ": the model has no position parameter");
        return false;
    }
    frameModel();
    return true;
}

void ModelView::addInSceneViews() {
    // The root paints its views over the scene and takes the view's mouse and keys.
    root = object::Pointer<gui3d::Root>::adopt(new gui3d::Root(renderContext));
    root->enableEvents();
    const std::string name = std::filesystem::path(modelPath).filename().string();
    auto* label = new gui3d::Label({8, 8, 240, 22}, name.c_str());
    root->addView(label);
    label->release(); // the root holds it
    overlay = new gui3d::StatisticsOverlay({8, 36});
    root->addView(overlay);
    overlay->release();
}

void ModelView::render() {
    gl.glClearColor(0, 0, 0, 1);
    renderContext->modeStack.select(&mode);
    gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!model)
        return;
    const double frameStart = secondsNow();

    int width = 0, height = 0;
    viewportSize(width, height);
    const float bottom = -camera.near * std::tan(FIELD_OF_VIEW * PI / 360);
    camera.bottom = bottom;
    camera.height = -2 * bottom;
    camera.width = camera.height * float(width) / float(height > 0 ? height : 1);
    camera.left = -camera.width / 2;
    camera.apply();

    // The light is placed in eye space, with nothing on the model-view matrix.
    renderContext->matrixStack.setMatrixMode(GL_MODELVIEW);
    gl.glLoadIdentity();
    renderContext->lightStack.select(&light, 0);
    gl.glEnable(GL_LIGHTING);
    gl.glEnable(GL_CULL_FACE);

    placeModel(float(frameStart - started) * 30,
               static_cast<float*>(parameters->parameter("position")));
    model->draw(*parameters);
    // What the model's last shader set (blending, depth writes off) ends with its frame.
    renderContext->shaderStack.reset();
    ++framesDrawn;

    const bool last = frameLimit > 0 && framesDrawn >= frameLimit;
    if (last)
        modelPixels = countModelPixels();
    overlay->frameFinished(secondsNow(), secondsNow() - frameStart);
    root->paint();

    if (last)
        finished.set();
    else
        invalidate(); // draw the next frame as soon as this one is shown
}

// The model's centre at the origin, turned about its up axis (z) by `degrees`, tilted
// toward the viewer and moved back until its bounding sphere fits the field of view.
void ModelView::placeModel(float degrees, float matrix[16]) const {
    const Matrix placed = Matrix::translation(0, 0, -distance) * Matrix::rotation(0, -60) *
                          Matrix::rotation(2, degrees) *
                          Matrix::translation(-centre[0], -centre[1], -centre[2]);
    std::memcpy(matrix, placed.m, sizeof placed.m);
}

void ModelView::frameModel() {
    const BoundingVolume& bounds = model->getBounds();
    float radius = 1;
    if (!bounds.isEmpty()) {
        float squares = 0;
        for (int i = 0; i < 3; ++i) {
            centre[i] = (bounds.minimum[i] + bounds.maximum[i]) / 2;
            const float half = (bounds.maximum[i] - bounds.minimum[i]) / 2;
            squares += half * half;
        }
        radius = std::max(std::sqrt(squares), 1e-3f);
    }
    distance = radius / std::sin(FIELD_OF_VIEW * PI / 360);
    camera.near = std::max(distance - radius, radius / 100);
    camera.far = distance + radius;
}

std::uint64_t ModelView::countModelPixels() {
    int width = 0, height = 0;
    viewportSize(width, height);
    if (width <= 0 || height <= 0)
        return 0;
    std::vector<std::uint8_t> pixels(std::size_t(width) * std::size_t(height) * 4);
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    std::uint64_t covered = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 4)
        covered += pixels[i] != 0 || pixels[i + 1] != 0 || pixels[i + 2] != 0;
    return covered;
}

void ModelView::fail(const std::string& why) {
    failure = why;
    finished.set();
}

bool ModelView::detach() {
    // The in-scene views, the model's stream, buffers and textures hold OpenGL objects:
    // they go while the context is current, before the OpenGL view destroys it.
    root = nullptr;
    overlay = nullptr;
    parameters = nullptr;
    model = nullptr;
    const bool detached = gui::OpenGL::detach();
    finished.set();
    return detached;
}

} // namespace example
