#include "orvane/sample/GraphicsView.h"

#include "orvane/application/Application.h"
#include "orvane/graphics3d/gl/GL.h"
#include "orvane/native/Display.h"
#include "orvane/object/Exception.h"
#include "orvane/sample/Options.h"

#include <cstdio>
#include <exception>
#include <utility>

namespace orvane::sample {
namespace {

using namespace graphics3d;

void reportFailure(const std::string& line) {
    std::fprintf(stderr, "orvane-viewer: %s\n", line.c_str());
    std::fflush(stderr);
}

} // namespace

GraphicsView::GraphicsView(const graphics::Rectangle<float>& area)
    : gui::OpenGL(area) {
    colourBits = 24;
    alphaBits = 8;
    stencilBits = 8;
    depthBits = 24;
    settings.model = Options::SAMPLE_MODEL;
    settings.textures = Options::SAMPLE_TEXTURES;
}

GraphicsView::~GraphicsView() {
    if (nativeWindow)
        detach();
}

void GraphicsView::configure(Settings newSettings) {
    settings = std::move(newSettings);
}

bool GraphicsView::attach() {
    if (nativeWindow)
        return true;
    if (!gui::OpenGL::attach()) {
        reportFailure("cannot draw with OpenGL: " + native::lastError());
        state.store(State::FAILED, std::memory_order_release);
        return false;
    }
    context = Context::current();
    if (!context)
        context = Context::acquire();
    matrixStack = &context->matrixStack;
    frameBuffer = &context->frameBuffer;
    gl.glEnable(GL_CULL_FACE);
    gl.glCullFace(GL_BACK);
    gl.glClearColor(0, 0, 0, 0);
    const int x = int(position.x), y = int(position.y);
    const int w = int(size.width), h = int(size.height);
    gl.glViewport(x, frameBuffer->height - y - h, w, h);
    gui = new Gui(context);
    gui->enableEvents();
    return setUpScene();
}

bool GraphicsView::setUpScene() {
    monitor = new FrameMonitor(settings.frames, stdout);
    monitor->start();
    std::string failure;
    try {
        scene = new Scene();
        if (scene->load(settings.model, settings.textures))
            monitor->showOn(*gui, displayName(settings.model), scene->triangles());
        else
            failure = scene->failure();
    } catch (const object::Exception& exception) {
        failure = displayName(settings.model) + ": " + exception.getName().cString() + ": " +
                  exception.getMessage().cString();
    } catch (const std::exception& exception) {
        failure = displayName(settings.model) + ": " + exception.what();
    }
    if (!failure.empty()) {
        reportFailure(failure);
        state.store(State::FAILED, std::memory_order_release);
        return false;
    }
    state.store(State::SHOWING, std::memory_order_release);
    return true;
}

bool GraphicsView::tearDownScene() {
    delete monitor;
    monitor = nullptr;
    if (scene) {
        scene->release();
        scene = nullptr;
    }
    return true;
}

bool GraphicsView::detach() {
    tearDownScene();
    if (gui) {
        gui->release();
        gui = nullptr;
    }
    context = nullptr;
    matrixStack = nullptr;
    frameBuffer = nullptr;
    state.store(State::DETACHED, std::memory_order_release);
    return gui::OpenGL::detach();
}

void GraphicsView::render() {
    if (!scene || !scene->hasModel()) {
        gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        return;
    }
    monitor->sceneBegins();
    scene->render(*context, gui->modelMatrix);
    monitor->sceneEnds();
    if (monitor->overlayShown())
        gui->paint();
    if (monitor->frameEnds(*context) && !finished.load(std::memory_order_acquire))
        finishRun();
}

// The frame count was reached: the run closes as if the window had been closed.
void GraphicsView::finishRun() {
    if (!monitor->failure().empty())
        reportFailure(monitor->failure());
    success.store(monitor->succeeded(), std::memory_order_release);
    finished.store(true, std::memory_order_release);
    if (application::Application* application = application::Application::getApplication())
        application->quit();
}

} // namespace orvane::sample
